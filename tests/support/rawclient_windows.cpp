#include "rawclient.h"

#include <winsock2.h>

int connectLoopback(quint16 port, int receiveBufferSize)
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    Q_UNUSED(started);
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (receiveBufferSize > 0)
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&receiveBufferSize),
                     sizeof receiveBufferSize);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    if (::connect(s, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return int(s);
    ::closesocket(s);
    return -1;
}

RawClient::RawClient(quint16 port, int receiveBufferSize)
    : m_fd(connectLoopback(port, receiveBufferSize))
{
    const DWORD waitMs = 5000;
    ::setsockopt(SOCKET(m_fd), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char *>(&waitMs),
                 sizeof waitMs);
}

void RawClient::send(QByteArrayView bytes)
{
    // A blocking send returns once it has taken every byte.
    ::send(SOCKET(m_fd), bytes.data(), int(bytes.size()), 0);
}

QByteArray RawClient::receive(qsizetype size)
{
    // Call after call: Wine's recv takes no MSG_WAITALL and returns what has come.
    QByteArray data(size, '\0');
    qsizetype got = 0;
    for (int n = 0;
         got < size && (n = ::recv(SOCKET(m_fd), data.data() + got, int(size - got), 0)) > 0;)
        got += n;
    data.resize(got);
    return data;
}

bool RawClient::peerClosed()
{
    for (char chunk[4096];;) {
        const int n = ::recv(SOCKET(m_fd), chunk, sizeof chunk, 0);
        if (n <= 0)
            return n == 0 || ::WSAGetLastError() == WSAECONNRESET;
    }
}

void RawClient::close()
{
    if (m_fd >= 0)
        ::closesocket(SOCKET(std::exchange(m_fd, -1)));
}

void RawClient::reset()
{
    const linger hard{1, 0};
    ::setsockopt(SOCKET(m_fd), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char *>(&hard),
                 sizeof hard);
    close();
}
