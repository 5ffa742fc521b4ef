#include "clientconnection.h"

#include <QHostAddress>
#include <QPointer>
#include <algorithm>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace chatlink {
namespace {

void enableKeepAlive(int fd)
{
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleSeconds, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalSeconds, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUserTimeoutMs, sizeof(int));
}

QString peerAddress(int fd)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return {};
    QHostAddress host(reinterpret_cast<const sockaddr *>(&address));
    // An IPv4 client reaching a dual-stack socket still shows as dotted-decimal.
    bool isV4 = false;
    const quint32 v4 = host.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : host.toString();
}

} // namespace

ClientConnection::ClientConnection(qintptr descriptor, QObject *parent)
    : QObject(parent), m_descriptor(descriptor), m_remoteAddress(peerAddress(int(descriptor))),
      m_readNotifier(descriptor, QSocketNotifier::Read),
      m_writeNotifier(descriptor, QSocketNotifier::Write)
{
    enableKeepAlive(int(descriptor));
    m_writeNotifier.setEnabled(false);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kTextSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &ClientConnection::onSettled);
    connect(&m_readNotifier, &QSocketNotifier::activated, this, &ClientConnection::onReadable);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, &ClientConnection::onWritable);
}

ClientConnection::~ClientConnection()
{
    abort();
}

void ClientConnection::onReadable()
{
    const QPointer<ClientConnection> self(this);
    m_awaitingRead = true;
    emit readyRead(this);
    // A slot may have opened a box whose loop deleted this connection.
    if (!self)
        return;
    // Left unread, the data raises no further notification until the next receive(). (Read at
    // once, as usual, the notifier simply stays armed.)
    if (m_awaitingRead && isOpen())
        m_readNotifier.setEnabled(false);
}

void ClientConnection::onSettled()
{
    m_settled = true;
    emit readyRead(this);
}

qint64 ClientConnection::read(char *data, qint64 maxSize)
{
    if (!isOpen())
        return 0;
    m_awaitingRead = false;
    const ssize_t n = ::recv(int(m_descriptor), data, size_t(maxSize), MSG_DONTWAIT);
    if (n > 0) {
        m_readNotifier.setEnabled(true);
        return n;
    }
    if (n == 0) {
        noteEnding(Ending::Closed);
        return -1;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        noteEnding(Ending::Failed, errno, "recv");
        return -1;
    }
    m_readNotifier.setEnabled(true);
    return 0;
}

qint64 ClientConnection::receive(char *data, qint64 maxSize)
{
    const qint64 n = read(data, maxSize);
    if (n >= 0)
        return n;
    end();
    return 0;
}

qint64 ClientConnection::receiveBlock(Block &buffer)
{
    if (!isOpen())
        return 0;
    std::optional<QByteArray> text;
    if (std::exchange(m_settled, false))
        text = m_reader.settle();
    if (!text) {
        Block chunk{};
        const qint64 n = read(chunk.data(), m_reader.room());
        if (n > 0) {
            text = m_reader.feed(QByteArrayView(chunk.data(), n));
        } else if (n < 0) {
            text = m_reader.settle(); // held bytes are all the stream had left
            end();
        }
    }
    if (!m_reader.isHolding())
        m_settle.stop();
    else if (!m_settle.isActive())
        m_settle.start();
    if (!text)
        return 0;
    std::copy(text->begin(), text->end(), buffer.begin());
    std::fill(buffer.begin() + text->size(), buffer.end(), '\0');
    return text->size();
}

qint64 ClientConnection::send(QByteArrayView bytes)
{
    if (!isOpen())
        return -1;
    qsizetype sent = 0;
    if (m_queue.isEmpty()) {
        const ssize_t n = ::send(int(m_descriptor), bytes.data(), size_t(bytes.size()),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
            noteEnding(Ending::Failed, errno, "send");
            end();
            return -1;
        }
        sent = qMax<qsizetype>(n, 0);
    }
    const QByteArrayView rest = bytes.sliced(sent);
    if (rest.isEmpty())
        return bytes.size();
    if (m_queue.size() + rest.size() > kSendQueueLimit) {
        // The client is not reading: drop it rather than hold its bytes without bound.
        noteEnding(Ending::Dropped);
        end();
        return -1;
    }
    m_queue.append(rest);
    m_writeNotifier.setEnabled(true);
    return bytes.size();
}

void ClientConnection::onWritable()
{
    while (!m_queue.isEmpty()) {
        const ssize_t n = ::send(int(m_descriptor), m_queue.constData(), size_t(m_queue.size()),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                noteEnding(Ending::Failed, errno, "send");
                end();
            }
            return;
        }
        m_queue.remove(0, n);
    }
    m_writeNotifier.setEnabled(false);
}

void ClientConnection::abort()
{
    m_reader.reset();
    m_settle.stop();
    m_settled = false;
    if (!isOpen())
        return;
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    ::close(int(m_descriptor));
    m_descriptor = -1;
    m_queue.clear();
}

void ClientConnection::noteEnding(Ending how, int code, const char *operation)
{
    m_ending = how;
    m_endCode = code;
    if (how == Ending::Failed)
        m_endText = u"Socket error %1 (%2) on %3"_s.arg(code).arg(qt_error_string(code),
                                                                  QLatin1StringView(operation));
}

void ClientConnection::end()
{
    if (!isOpen())
        return;
    abort();
    QMetaObject::invokeMethod(this, &ClientConnection::reportEnd, Qt::QueuedConnection);
}

void ClientConnection::reportEnd()
{
    const QPointer<ClientConnection> self(this);
    emit closed(this);
    if (!self)
        return;
    if (m_ending == Ending::Failed)
        emit errorOccurred(this, m_endCode, m_endText);
    else if (m_ending == Ending::Dropped)
        emit dropped(this);
}

} // namespace chatlink
