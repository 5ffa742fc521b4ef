#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

namespace chatlink {

class ChatServer;
class ClientConnection;
class ClientListView;
class IncomingView;
class OperatorNotices;

// The operator's side of the server: confirms new clients and lists them, reads and routes their
// texts, reports connection events, and owns the recipients of whatever the operator sends. The
// windows hand it texts and show its errors; they never hold a connection.
//
// Each client-list row is bound to the connection it was made for, so a row never addresses
// another client, and it is removed when its connection leaves the registry.
class ChatLink : public QObject
{
    Q_OBJECT

public:
    ChatLink(ChatServer &server, ClientListView &clientList, IncomingView &incoming,
             OperatorNotices &notices, QObject *parent = nullptr);

    // Sending. Each checks its text and finds its recipients first, and throws before anything
    // is sent: ControlCharacterError for a control character (other than a message's line
    // breaks), BlockOverflowError when the text does not fit a block, ListIndexError when there is
    // no such client. Texts are converted to code page 949 here.

    // The chat line (name, ":", line) as a block to the selected client.
    void sendChatLine(const QString &name, const QString &line);
    // The chat line as a block to every connected client; returns how many there were.
    qsizetype sendChatLineToAll(const QString &name, const QString &line);
    // The chat line's text alone, without the zero fill, to the first connected client.
    void sendChatTextToFirst(const QString &name, const QString &line);
    // The message (contact, ":", body with its line breaks as CR LF) as a block to the selected
    // client.
    void sendMessage(const QString &contact, const QString &body);

    // The connection a row addresses; throws ListIndexError for a position with no row.
    ClientConnection *rowClient(int row) const;
    // The connection of the selected row; throws ListIndexError when no row is selected.
    ClientConnection *selectedClient() const;

    // The server's events, connected by the constructor.

    // Confirms the new client to the operator, then lists its address. A client that leaves
    // while the confirmation is open gets no row.
    void clientConnected(chatlink::ClientConnection *connection);
    // Reads once from the connection that has data and hands over the texts read, in order.
    void clientRead(chatlink::ClientConnection *connection);
    // The conditions that mean the network is set up wrongly are reported as such; every other
    // error with the socket layer's text.
    void clientError(chatlink::ClientConnection *connection, int code, const QString &text);

private:
    // Notes the name a client's chat line carries, and tells its row when it is a new one.
    void noteName(ClientConnection &connection, QByteArrayView line);
    void describeRow(qsizetype row);
    void clientDropped(chatlink::ClientConnection *connection);
    void clientDisconnected(chatlink::ClientConnection *connection);

    ChatServer &m_server;
    ClientListView &m_clientList;
    IncomingView &m_incoming;
    OperatorNotices &m_notices;
    QList<ClientConnection *> m_rows;              // row i of the client list addresses m_rows[i]
    QHash<ClientConnection *, QByteArray> m_names; // as the latest chat line carried it
};

} // namespace chatlink
