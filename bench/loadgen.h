#pragma once

// Load generators, run as a child process of the benchmark so that the server's CPU and memory
// are its own. Each connects its clients, prints "ready", waits for a line on standard input,
// sends, and exits once the server has read everything: with status 1 when a send failed or the
// server reset a connection. "serve" is a server instead: it prints its port first, and "ready"
// once a client has connected.

#include <QStringList>
#include <cstdint>

namespace bench {

// Nanoseconds on the monotonic clock, comparable between processes of this machine.
std::int64_t monotonicNs();

// Runs the generator named by the arguments after "--load"; returns the exit code.
//   flood PORT CLIENTS BLOCKS RATE   chat lines "M<client>:<sequence>"; RATE lines per second in
//                                    all, 0 for as fast as possible
//   probe PORT COUNT INTERVAL_US     chat lines "Mlat:<send time in ns>", one per interval
//   serve BLOCKS                     listens on 127.0.0.1, any port; sends its one client the
//                                    chat lines "Msrv:<sequence>", and ends once it leaves
int runLoad(const QStringList &arguments);

} // namespace bench
