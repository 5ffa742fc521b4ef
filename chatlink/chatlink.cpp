#include "chatlink.h"

#include "block.h"
#include "chatserver.h"
#include "clientconnection.h"
#include "cp949.h"
#include "errors.h"
#include "socketio.h"
#include "texts.h"

namespace chatlink {
namespace {

QByteArrayView bytesOf(const Block &block)
{
    return QByteArrayView(block.data(), block.size());
}

} // namespace

ChatLink::ChatLink(ChatServer &server, QObject *parent) : QObject(parent), m_server(server)
{
    connect(&server, &ChatServer::clientConnected, this, &ChatLink::onClientConnected);
    connect(&server, &ChatServer::clientReadable, this, &ChatLink::onClientReadable);
    connect(&server, &ChatServer::clientError, this, &ChatLink::onClientError);
    connect(&server, &ChatServer::clientDropped, this, &ChatLink::onClientDropped);
    connect(&server, &ChatServer::clientDisconnected, this, &ChatLink::onClientDisconnected);
}

bool ChatLink::isListening() const
{
    return m_server.isListening();
}

void ChatLink::sendChatLine(int row, const QString &name, const QString &line)
{
    const Block block = buildBlock(chatLineText(name, line));
    rowClient(row)->send(bytesOf(block));
}

qsizetype ChatLink::sendChatLineToAll(const QString &name, const QString &line)
{
    const Block block = buildBlock(chatLineText(name, line));
    // A failed send is reported later, from the event loop: the registry holds still meanwhile.
    const QList<ClientConnection *> clients = m_server.connections();
    for (ClientConnection *client : clients)
        client->send(bytesOf(block));
    return clients.size();
}

void ChatLink::sendChatTextToFirst(const QString &name, const QString &line)
{
    const QByteArray text = chatLineText(name, line);
    ensureFitsBlock(text); // sent without the fill, but never longer than a block
    m_server.connection(0)->send(text);
}

void ChatLink::sendMessage(int row, const QString &contact, const QString &body)
{
    const Block block = buildBlock(messageText(contact, body));
    rowClient(row)->send(bytesOf(block));
}

ClientConnection *ChatLink::rowClient(int row) const
{
    if (row < 0 || row >= m_rows.size())
        throw SendError::noSuchClient(row);
    return m_rows.at(row);
}

void ChatLink::onClientConnected(ClientConnection *connection)
{
    const ClientId id = ++m_lastId;
    m_unconfirmed.insert(id, connection);
    emit clientArrived(id, connection->remoteAddress());
}

void ChatLink::listClient(ClientId id)
{
    // A client that left before the operator confirmed it is no longer there to list.
    ClientConnection *connection = m_unconfirmed.take(id);
    if (!connection)
        return;
    m_rows.append(connection);
    emit rowAppended(connection->remoteAddress());
    describeRow(m_rows.size() - 1);
}

void ChatLink::noteName(ClientConnection &connection, QByteArrayView line)
{
    const qsizetype colon = line.indexOf(kNameSeparator);
    if (colon < 0)
        return; // a line without a name leaves the one there was
    QByteArray &known = m_names[&connection];
    if (known == line.first(colon))
        return;
    known = line.first(colon).toByteArray();
    if (const qsizetype row = m_rows.indexOf(&connection); row >= 0)
        describeRow(row);
}

void ChatLink::describeRow(qsizetype row)
{
    ClientConnection *connection = m_rows.at(row);
    emit rowDescribed(int(row), connection->connectedAt(), fromCp949(m_names.value(connection)));
}

void ChatLink::onClientReadable(ClientConnection *connection)
{
    connection->receive();
    while (const std::optional<QByteArrayView> text = connection->nextText()) {
        const ReceivedText received = recognise(*text);
        switch (received.kind) {
        case TextKind::ChatLine:
            noteName(*connection, received.payload);
            emit chatLineArrived(fromCp949(received.payload));
            break;
        case TextKind::Message:
            emit messageArrived(fromCp949(received.payload));
            break;
        case TextKind::Ignored:
            break;
        }
    }
}

void ChatLink::onClientError(ClientConnection *, int code, const QString &text)
{
    emit connectionFailed(socketio::isNetworkSetupError(code) ? ConnectionFailure::NetworkSetup
                                                              : ConnectionFailure::Socket,
                          text);
}

void ChatLink::onClientDropped(ClientConnection *connection)
{
    emit clientDropped(connection->remoteAddress());
}

void ChatLink::onClientDisconnected(ClientConnection *connection)
{
    m_unconfirmed.removeIf([connection](auto entry) { return entry.value() == connection; });
    m_names.remove(connection);
    const qsizetype row = m_rows.indexOf(connection);
    if (row < 0)
        return;
    m_rows.removeAt(row);
    emit rowRemoved(int(row));
}

} // namespace chatlink
