#include "terminal.h"

#include <cerrno>
#include <clocale>
#include <langinfo.h>
#include <unistd.h>

namespace terminal {

QByteArray localeCodeset()
{
    std::setlocale(LC_ALL, "");
    return QByteArray(nl_langinfo(CODESET));
}

qintptr inputHandle()
{
    return STDIN_FILENO;
}

Input readInput(QByteArray &bytes)
{
    char chunk[4096];
    const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    if (n > 0) {
        bytes.append(chunk, n);
        return Input::Data;
    }
    // A signal came, or a non-blocking input shared with another reader was emptied first.
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
        return Input::NoData;
    return Input::End;
}

} // namespace terminal
