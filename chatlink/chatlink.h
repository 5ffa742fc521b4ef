#pragma once

#include "clientconnection.h"

#include <QList>
#include <QObject>

namespace chatlink {

class ChatServer;
class ClientListView;
class IncomingView;
class OperatorPrompt;

// The operator's side of the server's events: confirms new clients and lists them, reads and
// routes incoming blocks, filters connection errors, and finds the client a row addresses.
//
// Each client-list row is bound to the connection it was made for, so a row never addresses
// another client, and it is removed when its connection leaves the registry.
class ChatLink : public QObject
{
    Q_OBJECT

public:
    ChatLink(ChatServer &server, ClientListView &clientList, IncomingView &incoming,
             OperatorPrompt &prompt, QObject *parent = nullptr);

    // Confirms the new client to the operator, then lists its address. A client that leaves
    // while the confirmation is open gets no row.
    void clientConnected(chatlink::ClientConnection *connection);
    // Reads one block from the connection that has data and hands its text over.
    void clientRead(chatlink::ClientConnection *connection);
    // The four conditions that mean the network is set up wrongly become one plain message;
    // every other error is shown as the socket layer reported it.
    void clientError(chatlink::ClientConnection *connection, int code, const QString &text);

    // The connection of the selected row; throws ListIndexError when no row is selected.
    ClientConnection *selectedClient() const;
    // The connection a row addresses; throws ListIndexError for a position with no row.
    ClientConnection *rowClient(int row) const;

private:
    void clientDisconnected(chatlink::ClientConnection *connection);
    void clientDropped(chatlink::ClientConnection *connection);

    ClientListView &m_clientList;
    IncomingView &m_incoming;
    OperatorPrompt &m_prompt;
    QList<ClientConnection *> m_rows; // row i of the client list addresses m_rows[i]
};

// True for no buffer space, network unreachable, already connected and connection refused.
bool isNetworkSetupError(int code);

} // namespace chatlink
