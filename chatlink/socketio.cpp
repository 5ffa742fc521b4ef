#include "socketio.h"

using namespace Qt::StringLiterals;

namespace chatlink::socketio {

QString errorText(int error, const char *operation)
{
    // qt_error_string words the platform's own codes, errno's and Windows Sockets' alike.
    return u"Socket error %1 (%2) on %3"_s.arg(error).arg(qt_error_string(error),
                                                          QLatin1StringView(operation));
}

} // namespace chatlink::socketio
