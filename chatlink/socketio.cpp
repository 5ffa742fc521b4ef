#include "socketio.h"

using namespace Qt::StringLiterals;

namespace chatlink::socketio {

QString dottedAddress(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

QString errorText(int error, const char *operation)
{
    // qt_error_string words the platform's own codes, errno's and Windows Sockets' alike.
    return u"Socket error %1 (%2) on %3"_s.arg(error).arg(qt_error_string(error),
                                                          QLatin1StringView(operation));
}

} // namespace chatlink::socketio
