#pragma once

#include <QByteArray>
#include <functional>
#include <memory>

// A blocking TCP socket connected to 127.0.0.1 on the port, or -1. A small receive buffer makes a
// client that does not read back up quickly. (POSIX and Windows each have a file of their own.)
int connectLoopback(quint16 port, int receiveBufferSize = 0);

// A blocking client on 127.0.0.1 whose reads wait at most 5 s. Connecting completes in the
// kernel's backlog: tests connect and send without running the event loop that serves the server.
class RawClient
{
public:
    explicit RawClient(quint16 port, int receiveBufferSize = 0);
    ~RawClient() { close(); }
    Q_DISABLE_COPY(RawClient)

    void send(QByteArrayView bytes);
    // Up to size bytes; fewer when they did not come.
    QByteArray receive(qsizetype size);
    // True when the server closed the connection; drops whatever came before.
    bool peerClosed();
    void close();
    // Closes with a reset (SO_LINGER 0) instead of an orderly close.
    void reset();

private:
    int m_fd = -1;
};

// Connects a client and runs the event loop until the row count has grown, that is until the
// server has confirmed and listed the client; null when it never is.
std::unique_ptr<RawClient> connectListed(quint16 port, const std::function<qsizetype()> &rowCount);

// A block's worth of bytes: the text followed by zeros.
QByteArray filledBlock(QByteArrayView text);
