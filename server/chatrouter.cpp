#include "chatrouter.h"

#include "block.h"
#include "chatserver.h"
#include "clientconnection.h"
#include "cp949.h"
#include "socketio.h"
#include "texts.h"

namespace server {
namespace {

QByteArrayView bytesOf(const wire::Block &block)
{
    return QByteArrayView(block.data(), block.size());
}

} // namespace

ChatRouter::ChatRouter(ChatServer &server, QObject *parent) : QObject(parent), m_server(server)
{
    connect(&server, &ChatServer::accepted, this, &ChatRouter::onAccepted);
}

bool ChatRouter::isListening() const
{
    return m_server.isListening();
}

quint16 ChatRouter::port() const
{
    return m_server.isListening() ? m_server.serverPort() : m_server.port();
}

void ChatRouter::sendChatLine(std::optional<ClientId> id, const QString &name, const QString &line)
{
    const wire::Block block = wire::buildBlock(wire::chatLineText(name, line));
    m_clients.connection(id).send(bytesOf(block));
}

qsizetype ChatRouter::sendChatLineToEveryone(const QString &name, const QString &line)
{
    const wire::Block block = wire::buildBlock(wire::chatLineText(name, line));
    // A failed send is reported later, from the event loop: the clients hold still meanwhile.
    const QList<ClientConnection *> everyone = m_clients.everyone();
    for (ClientConnection *client : everyone)
        client->send(bytesOf(block));
    return everyone.size();
}

void ChatRouter::sendChatTextToEarliest(const QString &name, const QString &line)
{
    const QByteArray text = wire::chatLineText(name, line);
    wire::ensureFitsBlock(text); // sent without the fill, but never longer than a block
    m_clients.earliest().send(text);
}

void ChatRouter::sendMessage(std::optional<ClientId> id, const QString &contact,
                             const QString &body)
{
    const wire::Block block = wire::buildBlock(wire::messageText(contact, body));
    m_clients.connection(id).send(bytesOf(block));
}

void ChatRouter::onAccepted(ClientConnection *connection)
{
    connect(connection, &ClientConnection::readyRead, this, &ChatRouter::onReadable);
    connect(connection, &ClientConnection::closed, &m_clients, &ClientModel::remove);
    connect(connection, &ClientConnection::errorOccurred, this,
            [this](ClientConnection *, int code, const QString &reason) {
                emit connectionFailed(socketio::isNetworkSetupError(code)
                                          ? ConnectionFailure::NetworkSetup
                                          : ConnectionFailure::Socket,
                                      code, reason);
            });
    connect(connection, &ClientConnection::dropped, this,
            [this](ClientConnection *dropped) { emit clientDropped(dropped->remoteAddress()); });
    const ClientId id = m_clients.add(connection);
    emit clientArrived(id, connection->remoteAddress());
}

void ChatRouter::onReadable(ClientConnection *connection)
{
    connection->receive();
    while (const std::optional<wire::ReceivedText> text = connection->nextText()) {
        if (text->kind == wire::TextKind::Message) {
            emit messageArrived(wire::fromCp949(text->payload));
            continue;
        }
        // A line without a name leaves the one there was.
        if (const qsizetype colon = text->payload.indexOf(wire::kNameSeparator); colon >= 0)
            m_clients.noteName(*connection, text->payload.first(colon));
        emit chatLineArrived(wire::fromCp949(text->payload));
    }
}

} // namespace server
