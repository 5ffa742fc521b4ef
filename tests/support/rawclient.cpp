#include "rawclient.h"

#include "chatlink/block.h"

#include <QTest>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

RawClient::RawClient(quint16 port, int receiveBufferSize)
{
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0)
        return;
    if (receiveBufferSize > 0)
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferSize, sizeof receiveBufferSize);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
        close();
}

RawClient::~RawClient()
{
    close();
}

quint16 RawClient::localPort() const
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

void RawClient::send(QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(m_fd, bytes.data() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

QByteArray RawClient::receive(qsizetype size, int timeoutMs)
{
    QByteArray data;
    while (data.size() < size) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        char chunk[4096];
        const ssize_t n =
            ::recv(m_fd, chunk, size_t(qMin<qsizetype>(sizeof chunk, size - data.size())), 0);
        if (n <= 0)
            break;
        data.append(chunk, n);
    }
    return data;
}

bool RawClient::peerClosed(int timeoutMs)
{
    // Whatever is still buffered before the end is read and dropped.
    for (;;) {
        pollfd p{m_fd, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char chunk[4096];
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno == ECONNRESET))
            return true;
        if (n < 0 && errno != EAGAIN)
            return false;
    }
}

void RawClient::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void RawClient::reset()
{
    const linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close();
}

std::unique_ptr<RawClient> connectListed(quint16 port, const std::function<qsizetype()> &rowCount)
{
    const qsizetype rows = rowCount();
    auto client = std::make_unique<RawClient>(port);
    if (!QTest::qWaitFor([&] { return rowCount() > rows; }))
        return nullptr;
    return client;
}

QByteArray filledBlock(QByteArrayView text)
{
    const chatlink::Block block = chatlink::buildBlock(text);
    return QByteArray(block.data(), block.size());
}
