#include "terminal.h"

#include <QSocketNotifier>
#include <cerrno>
#include <clocale>
#include <langinfo.h>
#include <unistd.h>

namespace terminal {

QByteArray codeset()
{
    std::setlocale(LC_ALL, "");
    return QByteArray(nl_langinfo(CODESET));
}

struct InputReader::Platform
{
    QSocketNotifier notifier{STDIN_FILENO, QSocketNotifier::Read};
};

InputReader::InputReader(QObject *parent) : QObject(parent), m_platform(new Platform)
{
    connect(&m_platform->notifier, &QSocketNotifier::activated, this, [this] {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n > 0) {
            emit received(QByteArray(chunk, n));
            return;
        }
        // A signal came, or a non-blocking input shared with another reader was emptied first.
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        m_platform->notifier.setEnabled(false);
        emit ended();
    });
}

InputReader::~InputReader() = default;

} // namespace terminal
