#pragma once

// Every call into the platform's socket layer, in one place: the rest of the server uses only
// these, implemented on POSIX sockets (socketio_posix.cpp) and on Windows Sockets
// (socketio_windows.cpp).
//
// Qt's QTcpSocket is not used for client connections because it reports a reset by the peer as
// an orderly close ("The remote host closed the connection"), while the operator is shown a
// reset and not a close.

#include <QHostAddress>
#include <QString>
#include <QtGlobal>

namespace server::socketio {

// Keep-alive: a vanished client machine is noticed within about two minutes.
inline constexpr int kKeepAliveIdleSeconds = 60;
inline constexpr int kKeepAliveIntervalSeconds = 10;
inline constexpr int kKeepAliveProbes = 5;
static_assert(kKeepAliveIdleSeconds + kKeepAliveIntervalSeconds * kKeepAliveProbes <= 120);
// Keep-alive probes wait while sent data is unacknowledged; the user timeout bounds that wait.
inline constexpr int kUserTimeoutMs = 120'000;

// Makes an accepted connection non-blocking (Qt leaves it so on POSIX already), and sets
// keep-alive and the user timeout on it.
void configure(qintptr descriptor);
// Dotted-decimal IPv4 address of the peer (also for an IPv4 client on a dual-stack socket).
QString peerAddress(qintptr descriptor);
// An address as peerAddress gives it: an IPv4 address mapped into IPv6 in dotted decimal.
QString dottedAddress(const QHostAddress &address);

// What one receive or send call did.
struct Transfer
{
    qint64 count = 0;   // bytes moved; 0 when the call would have to wait
    bool ended = false; // the peer closed the stream (receive), or the call failed
    int error = 0;      // the platform's error code when it failed
};

// Without waiting. A send never raises a signal for a closed peer.
Transfer receive(qintptr descriptor, char *data, qint64 maxSize);
Transfer send(qintptr descriptor, const char *data, qint64 size);
void close(qintptr descriptor);

// The platform's own wording of an error code: "Connection reset by peer".
QString errorReason(int error);
// No buffer space, network unreachable, already connected and connection refused: conditions
// that mean the network is set up wrongly.
bool isNetworkSetupError(int error);

// Raises the soft limit on open descriptors to the hard limit, so that many clients fit.
void raiseOpenFileLimit();

} // namespace server::socketio
