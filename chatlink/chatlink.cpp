#include "chatlink.h"

#include "block.h"
#include "chatserver.h"
#include "clientconnection.h"
#include "cp949.h"
#include "errors.h"
#include "socketio.h"
#include "views.h"

#include <QPointer>

using namespace Qt::StringLiterals;

namespace chatlink {
namespace {

// Throws ControlCharacterError for a control character; a message body may hold line breaks.
void ensurePrintable(QStringView text, bool lineBreaks = false)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control && !(lineBreaks && c == u'\n'))
            throw ControlCharacterError();
    }
}

QByteArray chatLineText(const QString &name, const QString &line)
{
    ensurePrintable(name);
    ensurePrintable(line);
    return composeText(kTagChatLine, toCp949(name), toCp949(line));
}

QByteArrayView bytesOf(const Block &block)
{
    return QByteArrayView(block.data(), block.size());
}

} // namespace

ChatLink::ChatLink(ChatServer &server, ClientListView &clientList, IncomingView &incoming,
                   OperatorNotices &notices, QObject *parent)
    : QObject(parent), m_server(server), m_clientList(clientList), m_incoming(incoming),
      m_notices(notices)
{
    connect(&server, &ChatServer::clientConnected, this, &ChatLink::clientConnected);
    connect(&server, &ChatServer::clientRead, this, &ChatLink::clientRead);
    connect(&server, &ChatServer::clientError, this, &ChatLink::clientError);
    connect(&server, &ChatServer::clientDropped, this, &ChatLink::clientDropped);
    connect(&server, &ChatServer::clientDisconnected, this, &ChatLink::clientDisconnected);
}

void ChatLink::sendChatLine(const QString &name, const QString &line)
{
    const Block block = buildBlock(chatLineText(name, line));
    selectedClient()->send(bytesOf(block));
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

void ChatLink::sendMessage(const QString &contact, const QString &body)
{
    ensurePrintable(contact);
    ensurePrintable(body, true);
    QString lines = body;
    lines.replace(u"\n"_s, u"\r\n"_s);
    const Block block = buildBlock(composeText(kTagMessage, toCp949(contact), toCp949(lines)));
    selectedClient()->send(bytesOf(block));
}

ClientConnection *ChatLink::rowClient(int row) const
{
    if (row < 0 || row >= m_rows.size())
        throw ListIndexError(row);
    return m_rows.at(row);
}

ClientConnection *ChatLink::selectedClient() const
{
    return rowClient(m_clientList.selectedRow());
}

void ChatLink::clientConnected(ClientConnection *connection)
{
    const QPointer<ClientConnection> guard(connection);
    m_notices.clientConnected(connection->remoteAddress());
    // The notice may run a nested loop: the client may have gone meanwhile.
    if (!guard || !guard->isOpen())
        return;
    m_rows.append(connection);
    m_clientList.appendRow(connection->remoteAddress());
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
    m_clientList.describeRow(int(row), connection->connectedAt(),
                             fromCp949(m_names.value(connection)));
}

void ChatLink::clientRead(ClientConnection *connection)
{
    const QPointer<ClientConnection> guard(connection);
    connection->receive();
    // A message's box runs a nested loop: the connection may be gone when it returns, or its
    // later texts already handed over by a read made meanwhile.
    while (guard) {
        const std::optional<QByteArrayView> text = guard->nextText();
        if (!text)
            return;
        const ReceivedText received = recognise(*text);
        switch (received.kind) {
        case TextKind::ChatLine:
            noteName(*guard, received.payload);
            m_incoming.appendChatLine(fromCp949(received.payload));
            break;
        case TextKind::Message:
            guard->remindOfUntaken();
            m_incoming.presentMessage(fromCp949(received.payload));
            break;
        case TextKind::Ignored:
            break;
        }
    }
}

void ChatLink::clientError(ClientConnection *, int code, const QString &text)
{
    if (socketio::isNetworkSetupError(code))
        m_notices.networkSetupError();
    else
        m_notices.socketError(text);
}

void ChatLink::clientDropped(ClientConnection *connection)
{
    m_notices.clientDropped(connection->remoteAddress());
}

void ChatLink::clientDisconnected(ClientConnection *connection)
{
    m_names.remove(connection);
    const qsizetype row = m_rows.indexOf(connection);
    if (row < 0)
        return;
    m_rows.removeAt(row);
    m_clientList.removeRow(int(row));
}

} // namespace chatlink
