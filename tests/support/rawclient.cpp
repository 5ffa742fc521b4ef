#include "rawclient.h"

#include "chatlink/block.h"

#include <QTest>
#include <arpa/inet.h>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

int connectLoopback(quint16 port, int receiveBufferSize)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (receiveBufferSize > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBufferSize, sizeof receiveBufferSize);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

void RawClient::send(QByteArrayView bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            ::send(m_fd, bytes.data() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

QByteArray RawClient::receive(qsizetype size)
{
    QByteArray data;
    char chunk[4096];
    for (pollfd p{m_fd, POLLIN, 0}; data.size() < size && ::poll(&p, 1, 5000) > 0;) {
        const ssize_t n = ::recv(m_fd, chunk, size_t(qMin<qsizetype>(4096, size - data.size())), 0);
        if (n <= 0)
            break;
        data.append(chunk, n);
    }
    return data;
}

bool RawClient::peerClosed()
{
    char chunk[4096];
    for (pollfd p{m_fd, POLLIN, 0}; ::poll(&p, 1, 5000) > 0;) {
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno == ECONNRESET))
            return true;
        if (n < 0 && errno != EAGAIN)
            return false;
    }
    return false;
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
    return QTest::qWaitFor([&] { return rowCount() > rows; }) ? std::move(client) : nullptr;
}

QByteArray filledBlock(QByteArrayView text)
{
    const chatlink::Block block = chatlink::buildBlock(text);
    return QByteArray(block.data(), block.size());
}
