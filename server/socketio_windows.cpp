#include "socketio.h"

#include <QHostAddress>
#include <winsock2.h>
#include <ws2tcpip.h>
// After the two above, whose types it uses.
#include <mstcpip.h>

// Older MinGW headers lack the per-socket TCP options of Windows 10.
#ifndef TCP_KEEPIDLE
#define TCP_KEEPIDLE 3
#endif
#ifndef TCP_KEEPINTVL
#define TCP_KEEPINTVL 17
#endif
#ifndef TCP_KEEPCNT
#define TCP_KEEPCNT 16
#endif
#ifndef TCP_MAXRT
#define TCP_MAXRT 5
#endif

namespace server::socketio {
namespace {

bool wouldWait(int error)
{
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

} // namespace

void configure(qintptr descriptor)
{
    const auto s = SOCKET(descriptor);
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    const BOOL on = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char *>(&on), sizeof on);
    // The per-socket options need Windows 10; before it, the keep-alive times of the ioctl
    // (its probe count is the system's, ten).
    const auto tcp = [s](int name, int value) {
        return ::setsockopt(s, IPPROTO_TCP, name, reinterpret_cast<const char *>(&value),
                            sizeof value) == 0;
    };
    if (!tcp(TCP_KEEPIDLE, kKeepAliveIdleSeconds) ||
        !tcp(TCP_KEEPINTVL, kKeepAliveIntervalSeconds) || !tcp(TCP_KEEPCNT, kKeepAliveProbes)) {
        tcp_keepalive times{1, ULONG(kKeepAliveIdleSeconds) * 1000,
                            ULONG(kKeepAliveIntervalSeconds) * 1000};
        DWORD returned = 0;
        ::WSAIoctl(s, SIO_KEEPALIVE_VALS, &times, sizeof times, nullptr, 0, &returned, nullptr,
                   nullptr);
    }
    // How long sent data may stay unacknowledged before the connection is given up, in seconds.
    tcp(TCP_MAXRT, kUserTimeoutMs / 1000);
}

QString peerAddress(qintptr descriptor)
{
    sockaddr_storage address{};
    int length = sizeof address;
    if (::getpeername(SOCKET(descriptor), reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return {};
    return dottedAddress(QHostAddress(reinterpret_cast<const sockaddr *>(&address)));
}

Transfer receive(qintptr descriptor, char *data, qint64 maxSize)
{
    const int n = ::recv(SOCKET(descriptor), data, int(qMin<qint64>(maxSize, INT_MAX)), 0);
    if (n > 0)
        return {n, false, 0};
    if (n == 0)
        return {0, true, 0}; // an orderly close; a reset fails with WSAECONNRESET
    const int error = ::WSAGetLastError();
    return wouldWait(error) ? Transfer{} : Transfer{0, true, error};
}

Transfer send(qintptr descriptor, const char *data, qint64 size)
{
    const int n = ::send(SOCKET(descriptor), data, int(qMin<qint64>(size, INT_MAX)), 0);
    if (n >= 0)
        return {n, false, 0};
    const int error = ::WSAGetLastError();
    return wouldWait(error) ? Transfer{} : Transfer{0, true, error};
}

void close(qintptr descriptor)
{
    ::closesocket(SOCKET(descriptor));
}

bool isNetworkSetupError(int error)
{
    return error == WSAENOBUFS || error == WSAENETUNREACH || error == WSAEISCONN ||
           error == WSAECONNREFUSED;
}

void raiseOpenFileLimit()
{
    // Windows sets no per-process limit on sockets to raise.
}

} // namespace server::socketio
