#include "rawclient.h"

#include <arpa/inet.h>
#include <cerrno>
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
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

RawClient::RawClient(quint16 port, int receiveBufferSize)
    : m_fd(connectLoopback(port, receiveBufferSize))
{
    const timeval wait{5, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
}

void RawClient::send(QByteArrayView bytes)
{
    // A blocking send returns once it has taken every byte.
    ::send(m_fd, bytes.data(), size_t(bytes.size()), MSG_NOSIGNAL);
}

QByteArray RawClient::receive(qsizetype size)
{
    QByteArray data(size, '\0');
    data.resize(qMax<qsizetype>(0, ::recv(m_fd, data.data(), size_t(size), MSG_WAITALL)));
    return data;
}

bool RawClient::peerClosed()
{
    for (char chunk[4096];;) {
        const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (n <= 0)
            return n == 0 || errno == ECONNRESET;
    }
}

void RawClient::close()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
}

void RawClient::reset()
{
    const linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close();
}
