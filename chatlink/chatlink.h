#pragma once

#include "errors.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

namespace chatlink {

class ChatServer;
class ClientConnection;

// Names a client while the operator is asked to confirm it; never reused within a run.
using ClientId = quint64;

// The operator's side of the server: lists confirmed clients, reads and routes their texts,
// reports connection events, and sends what the operator writes. It speaks no operator text:
// what it reports are values, which the windows word.
//
// The client list is kept here as rows: row i of the operator's list addresses the connection it
// was made for, whatever came and went since, and is removed when that connection leaves.
class ChatLink : public QObject
{
    Q_OBJECT

public:
    explicit ChatLink(ChatServer &server, QObject *parent = nullptr);

    bool isListening() const;

    // Sending. Each checks its text and finds its recipients first, and throws SendError before
    // anything is sent: ControlCharacter for a control character (other than a message's line
    // breaks), TooLong when the text does not fit a block, NoSuchClient when there is no such
    // client. Texts are converted to code page 949 here.

    // The chat line (name, ":", line) as a block to the client of a row.
    void sendChatLine(int row, const QString &name, const QString &line);
    // The chat line as a block to every connected client; returns how many there were.
    qsizetype sendChatLineToAll(const QString &name, const QString &line);
    // The chat line's text alone, without the zero fill, to the first connected client.
    void sendChatTextToFirst(const QString &name, const QString &line);
    // The message (contact, ":", body with its line breaks as CR LF) as a block to the client of
    // a row.
    void sendMessage(int row, const QString &contact, const QString &body);

    // The connection a row addresses; throws SendError (NoSuchClient) for a row that is not there.
    ClientConnection *rowClient(int row) const;

    // The operator has seen that the client connected: its row is appended, unless it has left.
    void listClient(chatlink::ClientId id);

signals:
    // A client connected; it is listed once the operator confirms it with listClient().
    void clientArrived(chatlink::ClientId id, const QString &address);
    void rowAppended(const QString &address);
    void rowRemoved(int row);
    // What is known of the client behind a row: when it connected, and the name its latest chat
    // line carried (empty before it sent one).
    void rowDescribed(int row, const QDateTime &connected, const QString &latestName);
    void chatLineArrived(const QString &line);
    void messageArrived(const QString &message);
    // A connection ended with an error; the text is the socket layer's own.
    void connectionFailed(chatlink::ConnectionFailure failure, const QString &socketText);
    // A client stopped reading what it was sent and was disconnected.
    void clientDropped(const QString &address);

private:
    void onClientConnected(chatlink::ClientConnection *connection);
    // Reads once from the connection and hands over the texts read, in order.
    void onClientReadable(chatlink::ClientConnection *connection);
    void onClientError(chatlink::ClientConnection *connection, int code, const QString &text);
    void onClientDropped(chatlink::ClientConnection *connection);
    void onClientDisconnected(chatlink::ClientConnection *connection);
    // Notes the name a client's chat line carries, and describes its row when it is a new one.
    void noteName(ClientConnection &connection, QByteArrayView line);
    void describeRow(qsizetype row);

    ChatServer &m_server;
    ClientId m_lastId = 0;
    QHash<ClientId, ClientConnection *> m_unconfirmed;
    QList<ClientConnection *> m_rows;              // row i of the client list addresses m_rows[i]
    QHash<ClientConnection *, QByteArray> m_names; // as the latest chat line carried it
};

} // namespace chatlink
