#include "socketio.h"

#include <QHostAddress>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace server::socketio {
namespace {

bool wouldWait(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

void configure(qintptr descriptor)
{
    const int fd = int(descriptor);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdleSeconds, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveIntervalSeconds, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveProbes, sizeof(int));
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &kUserTimeoutMs, sizeof(int));
}

QString peerAddress(qintptr descriptor)
{
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(int(descriptor), reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return {};
    return dottedAddress(QHostAddress(reinterpret_cast<const sockaddr *>(&address)));
}

Transfer receive(qintptr descriptor, char *data, qint64 maxSize)
{
    const ssize_t n = ::recv(int(descriptor), data, size_t(maxSize), MSG_DONTWAIT);
    if (n > 0)
        return {n, false, 0};
    if (n == 0)
        return {0, true, 0};
    return wouldWait(errno) ? Transfer{} : Transfer{0, true, errno};
}

Transfer send(qintptr descriptor, const char *data, qint64 size)
{
    const ssize_t n = ::send(int(descriptor), data, size_t(size), MSG_DONTWAIT | MSG_NOSIGNAL);
    if (n >= 0)
        return {n, false, 0};
    return wouldWait(errno) ? Transfer{} : Transfer{0, true, errno};
}

void close(qintptr descriptor)
{
    ::close(int(descriptor));
}

bool isNetworkSetupError(int error)
{
    return error == ENOBUFS || error == ENETUNREACH || error == EISCONN || error == ECONNREFUSED;
}

void raiseOpenFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace server::socketio
