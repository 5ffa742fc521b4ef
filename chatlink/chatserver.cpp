#include "chatserver.h"

#include "clientconnection.h"
#include "errors.h"

namespace chatlink {

ChatServer::ChatServer(quint16 port, QObject *parent) : QTcpServer(parent), m_port(port)
{
    m_acceptRetry.setSingleShot(true);
    m_acceptRetry.setInterval(kAcceptRetryDelayMs);
    connect(&m_acceptRetry, &QTimer::timeout, this, &QTcpServer::resumeAccepting);
    connect(this, &QTcpServer::acceptError, this, &ChatServer::onAcceptError);
}

ChatServer::~ChatServer()
{
    // Connections are children; close them without raising signals into half-destroyed owners.
    for (ClientConnection *connection : std::as_const(m_connections))
        connection->disconnect(this);
}

bool ChatServer::start()
{
    return listen(QHostAddress::AnyIPv4, m_port);
}

ClientConnection *ChatServer::connection(qsizetype index) const
{
    if (index < 0 || index >= m_connections.size())
        throw SendError::noSuchClient(index);
    return m_connections.at(index);
}

void ChatServer::incomingConnection(qintptr descriptor)
{
    auto *connection = new ClientConnection(descriptor, this);
    m_connections.append(connection);
    connect(connection, &ClientConnection::readyRead, this, &ChatServer::clientReadable);
    connect(connection, &ClientConnection::closed, this, &ChatServer::remove);
    connect(connection, &ClientConnection::errorOccurred, this, &ChatServer::clientError);
    connect(connection, &ClientConnection::dropped, this, &ChatServer::clientDropped);
    emit clientConnected(connection);
}

void ChatServer::remove(ClientConnection *connection)
{
    if (!m_connections.removeOne(connection))
        return;
    emit clientDisconnected(connection);
    // Deferred: the connection may still be on the stack of the call that ended it.
    connection->deleteLater();
}

void ChatServer::onAcceptError()
{
    // Accepting again at once would spin while the condition lasts (no free descriptor, say).
    pauseAccepting();
    m_acceptRetry.start();
}

} // namespace chatlink
