#include "chatlink.h"

#include "block.h"
#include "chatserver.h"
#include "clientconnection.h"
#include "cp949.h"
#include "errors.h"
#include "views.h"

#include <QPointer>
#include <cerrno>

using namespace Qt::StringLiterals;

namespace chatlink {

ChatLink::ChatLink(ChatServer &server, ClientListView &clientList, IncomingView &incoming,
                   OperatorPrompt &prompt, QObject *parent)
    : QObject(parent), m_clientList(clientList), m_incoming(incoming), m_prompt(prompt)
{
    connect(&server, &ChatServer::clientDisconnected, this, &ChatLink::clientDisconnected);
    connect(&server, &ChatServer::clientDropped, this, &ChatLink::clientDropped);
}

void ChatLink::clientConnected(ClientConnection *connection)
{
    const QPointer<ClientConnection> guard(connection);
    m_prompt.showMessage(u"클라이언트와 연결되었습니다"_s);
    // The box runs a nested loop: the client may have gone meanwhile.
    if (!guard || !guard->isOpen())
        return;
    m_rows.append(connection);
    m_clientList.appendRow(connection->remoteAddress());
}

void ChatLink::clientRead(ClientConnection *connection)
{
    Block buffer{};
    connection->receiveBlock(buffer);
    const ReceivedText received = recognise(readBlock(buffer));
    switch (received.kind) {
    case TextKind::ChatLine:
        m_incoming.appendChatLine(fromCp949(received.payload));
        break;
    case TextKind::Message:
        m_incoming.presentMessage(fromCp949(received.payload));
        break;
    case TextKind::Ignored:
        break;
    }
}

void ChatLink::clientError(ClientConnection *, int code, const QString &text)
{
    if (isNetworkSetupError(code))
        m_prompt.showMessage(u"통신 설정을 확인해주세요"_s);
    else
        m_prompt.showError(text);
}

ClientConnection *ChatLink::selectedClient() const
{
    return rowClient(m_clientList.selectedRow());
}

ClientConnection *ChatLink::rowClient(int row) const
{
    if (row < 0 || row >= m_rows.size())
        throw ListIndexError(row);
    return m_rows.at(row);
}

void ChatLink::clientDisconnected(ClientConnection *connection)
{
    const qsizetype row = m_rows.indexOf(connection);
    if (row < 0)
        return;
    m_rows.removeAt(row);
    m_clientList.removeRow(int(row));
}

void ChatLink::clientDropped(ClientConnection *connection)
{
    m_prompt.showMessage(
        u"%1 클라이언트가 데이터를 받지 않아 연결을 끊었습니다"_s.arg(connection->remoteAddress()));
}

bool isNetworkSetupError(int code)
{
    return code == ENOBUFS || code == ENETUNREACH || code == EISCONN || code == ECONNREFUSED;
}

} // namespace chatlink
