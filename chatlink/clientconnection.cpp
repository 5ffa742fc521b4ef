#include "clientconnection.h"

#include <QHostAddress>
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
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_settled = true;
        emit readyRead(this);
    });
    connect(&m_readNotifier, &QSocketNotifier::activated, this, &ClientConnection::onReadable);
    connect(&m_writeNotifier, &QSocketNotifier::activated, this, &ClientConnection::onWritable);
}

ClientConnection::~ClientConnection()
{
    abort();
}

void ClientConnection::onReadable()
{
    m_awaitingRead = true;
    emit readyRead(this);
    // Left unread, the data raises no further notification until the next receive(). (Read at
    // once, as usual, the notifier simply stays armed.)
    if (m_awaitingRead && isOpen())
        m_readNotifier.setEnabled(false);
}

qint64 ClientConnection::receive(char *data, qint64 maxSize)
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
        finish();
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        m_readNotifier.setEnabled(true);
    } else {
        fail(errno, "recv");
    }
    return 0;
}

qint64 ClientConnection::receiveBlock(Block &buffer)
{
    if (m_fillPending > 0 && skipFill())
        return 0;
    if (m_held.isEmpty()) {
        // The usual case: a whole block, or a text with its zero, straight into the buffer.
        const qint64 n = receive(buffer.data(), kBlockSize);
        if (n <= 0 || n == kBlockSize)
            return n;
        const bool ended =
            std::find(buffer.begin(), buffer.begin() + n, '\0') != buffer.begin() + n;
        if (ended) {
            m_fillPending = kBlockSize - n;
            return n;
        }
        m_held = QByteArray(buffer.data(), n);
        buffer.fill('\0');
        if (!isOpen())
            return takeHeld(buffer);
        m_settle.start();
        return 0;
    }
    Block chunk{};
    const qint64 n = receive(chunk.data(), kBlockSize - m_held.size());
    if (n > 0)
        m_held.append(chunk.data(), n);
    const bool ended = m_held.size() == kBlockSize || m_held.contains('\0');
    if (ended || m_settled || !isOpen()) {
        if (m_held.size() < kBlockSize && m_held.contains('\0'))
            m_fillPending = kBlockSize - m_held.size();
        return takeHeld(buffer);
    }
    return 0;
}

bool ClientConnection::skipFill()
{
    Block peek{};
    const qint64 n =
        ::recv(int(m_descriptor), peek.data(), size_t(m_fillPending), MSG_PEEK | MSG_DONTWAIT);
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
        // Even a peek takes the pending error from the socket: report it here.
        fail(errno, "recv");
        return true;
    }
    if (n <= 0)
        return false; // nothing yet, or the end, which the read proper sees
    const qsizetype zeros =
        std::find_if(peek.begin(), peek.begin() + n, [](char c) { return c != '\0'; }) -
        peek.begin();
    if (zeros == 0) {
        // Not the fill after all (the client sends shorter texts): read as usual.
        m_fillPending = 0;
        return false;
    }
    m_fillPending -= zeros;
    receive(peek.data(), zeros);
    return true;
}

qint64 ClientConnection::takeHeld(Block &buffer)
{
    const qsizetype size = m_held.size();
    std::copy(m_held.begin(), m_held.end(), buffer.begin());
    m_held.clear();
    m_settle.stop();
    m_settled = false;
    return size;
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
            fail(errno, "send");
            return -1;
        }
        sent = qMax<qsizetype>(n, 0);
    }
    const QByteArrayView rest = bytes.sliced(sent);
    if (rest.isEmpty())
        return bytes.size();
    if (m_queue.size() + rest.size() > kSendQueueLimit) {
        // The client is not reading: drop it rather than hold its bytes without bound.
        fail(ENOBUFS, "send");
        return -1;
    }
    m_queue.append(rest);
    m_writeNotifier.setEnabled(true);
    return bytes.size();
}

void ClientConnection::onWritable()
{
    flushQueue();
}

void ClientConnection::flushQueue()
{
    while (!m_queue.isEmpty()) {
        const ssize_t n = ::send(int(m_descriptor), m_queue.constData(), size_t(m_queue.size()),
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                return;
            fail(errno, "send");
            return;
        }
        m_queue.remove(0, n);
    }
    m_writeNotifier.setEnabled(false);
}

void ClientConnection::abort()
{
    if (!isOpen())
        return;
    m_readNotifier.setEnabled(false);
    m_writeNotifier.setEnabled(false);
    ::close(int(m_descriptor));
    m_descriptor = -1;
    m_queue.clear();
}

void ClientConnection::finish()
{
    abort();
    emit closed(this);
}

void ClientConnection::fail(int code, const char *operation)
{
    const QString text = u"Socket error %1 (%2) on %3"_s.arg(code).arg(
        qt_error_string(code), QLatin1StringView(operation));
    finish();
    emit errorOccurred(this, code, text);
}

} // namespace chatlink
