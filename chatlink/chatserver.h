#pragma once

#include <QList>
#include <QTcpServer>
#include <QTimer>

namespace chatlink {

class ClientConnection;

// After accept fails (out of descriptors, say) the server waits this long before trying again.
inline constexpr int kAcceptRetryDelayMs = 100;

// The listening socket and its registry of open client connections, in accept order.
class ChatServer : public QTcpServer
{
    Q_OBJECT

public:
    explicit ChatServer(quint16 port, QObject *parent = nullptr);
    ~ChatServer() override;

    // Listens on all IPv4 interfaces; on failure errorString() says why. May be called again
    // after a failure (the port was taken, say).
    bool start();
    quint16 port() const { return m_port; }

    qsizetype count() const { return m_connections.size(); }
    const QList<ClientConnection *> &connections() const { return m_connections; }
    // The open connection at a registry position; throws SendError (NoSuchClient) when there is
    // none.
    ClientConnection *connection(qsizetype index) const;

signals:
    // The connection is already in the registry, at the last position.
    void clientConnected(chatlink::ClientConnection *connection);
    // The connection has data to read (ClientConnection's read rule).
    void clientReadable(chatlink::ClientConnection *connection);
    // The connection has already left the registry (an error always ends it).
    void clientError(chatlink::ClientConnection *connection, int code, const QString &text);
    // The connection has already left the registry: it stopped reading and its send queue
    // overflowed.
    void clientDropped(chatlink::ClientConnection *connection);
    // Raised for every connection that leaves the registry, whatever the reason.
    void clientDisconnected(chatlink::ClientConnection *connection);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void onAcceptError();
    void remove(ClientConnection *connection);

    quint16 m_port;
    QList<ClientConnection *> m_connections;
    QTimer m_acceptRetry;
};

} // namespace chatlink
