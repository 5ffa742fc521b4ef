#pragma once

#include "clientmodel.h"

#include <QObject>
#include <QString>

namespace server {

class ChatServer;
class ClientConnection;

// How a client's connection failed, as far as the operator is concerned.
enum class ConnectionFailure {
    NetworkSetup, // no buffer space, network unreachable, already connected, connection refused
    Socket,       // any other error; the socket layer's reason says which
};

// The operator's side of the server: keeps the clients the server accepts in its model, reads and
// routes their texts, reports connection events, and sends what the operator writes. It speaks no
// operator text: what it reports are values, which the windows word.
class ChatRouter : public QObject
{
    Q_OBJECT

public:
    explicit ChatRouter(ChatServer &server, QObject *parent = nullptr);

    bool isListening() const;
    // The port clients reach the server on.
    quint16 port() const;
    ClientModel &clients() { return m_clients; }

    // Sending. Each checks its text and finds its recipients first, and throws SendError before
    // anything is sent: ControlCharacter for a control character (other than a message's line
    // breaks), TooLong when the text does not fit a block, NoSuchClient when there is no such
    // client. Texts are converted to code page 949 here.

    // The chat line (name, ":", line) as a block to the client (none: none was selected).
    void sendChatLine(std::optional<ClientId> id, const QString &name, const QString &line);
    // The chat line as a block to every connected client, confirmed or not; returns how many
    // there were.
    qsizetype sendChatLineToEveryone(const QString &name, const QString &line);
    // The chat line's text alone, without the zero fill, to the client connected longest ago,
    // confirmed or not.
    void sendChatTextToEarliest(const QString &name, const QString &line);
    // The message (contact, ":", body with its line breaks as CR LF) as a block to the client.
    void sendMessage(std::optional<ClientId> id, const QString &contact, const QString &body);

signals:
    // A client connected; it has a row once the operator confirms it (ClientModel::confirm).
    void clientArrived(server::ClientId id, const QString &address);
    void chatLineArrived(const QString &line);
    void messageArrived(const QString &message);
    // A connection ended with an error: the platform's code and its own wording of it.
    void connectionFailed(server::ConnectionFailure failure, int code, const QString &reason);
    // A client stopped reading what it was sent and was disconnected.
    void clientDropped(const QString &address);

private:
    void onAccepted(server::ClientConnection *connection);
    // Reads once from the connection and hands over the texts read, in order.
    void onReadable(server::ClientConnection *connection);

    ChatServer &m_server;
    ClientModel m_clients;
};

} // namespace server
