#include "chatserver.h"

#include "clientconnection.h"

namespace server {

ChatServer::ChatServer(quint16 port, QObject *parent) : QTcpServer(parent), m_port(port)
{
    m_acceptRetry.setSingleShot(true);
    m_acceptRetry.setInterval(kAcceptRetryDelayMs);
    connect(&m_acceptRetry, &QTimer::timeout, this, &QTcpServer::resumeAccepting);
    connect(this, &QTcpServer::acceptError, this, &ChatServer::onAcceptError);
}

bool ChatServer::start()
{
    return listen(QHostAddress::AnyIPv4, m_port);
}

void ChatServer::incomingConnection(qintptr descriptor)
{
    emit accepted(new ClientConnection(descriptor, this));
}

void ChatServer::onAcceptError()
{
    // Accepting again at once would spin while the condition lasts (no free descriptor, say).
    pauseAccepting();
    m_acceptRetry.start();
}

} // namespace server
