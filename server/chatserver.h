#pragma once

#include <QTcpServer>
#include <QTimer>

namespace server {

class ClientConnection;

// After accept fails (out of descriptors, say) the server waits this long before trying again.
inline constexpr int kAcceptRetryDelayMs = 100;

// The listening socket: it accepts clients and hands each over as a connection.
class ChatServer : public QTcpServer
{
    Q_OBJECT

public:
    explicit ChatServer(quint16 port, QObject *parent = nullptr);

    // Listens on all IPv4 interfaces; on failure errorString() says why. May be called again
    // after a failure (the port was taken, say).
    bool start();
    quint16 port() const { return m_port; }

signals:
    // A new client; the connection is the server's child until a receiver takes it.
    void accepted(server::ClientConnection *connection);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void onAcceptError();

    quint16 m_port;
    QTimer m_acceptRetry;
};

} // namespace server
