#include "socketio.h"

namespace server::socketio {

QString dottedAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

QString errorReason(int error)
{
    // qt_error_string words the platform's own codes, errno's and Windows Sockets' alike.
    return qt_error_string(error);
}

} // namespace server::socketio
