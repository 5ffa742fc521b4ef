#include "clientmodel.h"

#include "clientconnection.h"
#include "cp949.h"
#include "errors.h"

#include <algorithm>

namespace server {

ClientId ClientModel::add(ClientConnection *connection)
{
    connection->setParent(this);
    m_clients.append({++m_lastId, connection, {}});
    return m_lastId;
}

void ClientModel::confirm(ClientId id)
{
    const auto unconfirmed = std::find_if(m_clients.begin() + m_rows, m_clients.end(),
                                          [id](const Client &client) { return client.id == id; });
    if (unconfirmed == m_clients.end())
        return;
    beginInsertRows({}, int(m_rows), int(m_rows));
    std::rotate(m_clients.begin() + m_rows, unconfirmed, unconfirmed + 1);
    ++m_rows;
    endInsertRows();
}

void ClientModel::remove(ClientConnection *connection)
{
    const qsizetype at = find(*connection);
    if (at < 0)
        return;
    const bool hasRow = at < m_rows;
    if (hasRow)
        beginRemoveRows({}, int(at), int(at));
    m_clients.removeAt(at);
    if (hasRow) {
        --m_rows;
        endRemoveRows();
    }
    // Deferred: the connection may still be on the stack of the call that ended it.
    connection->deleteLater();
}

void ClientModel::noteName(const ClientConnection &connection, QByteArrayView name)
{
    const qsizetype at = find(connection);
    if (at < 0 || m_clients.at(at).latestName == name)
        return;
    m_clients[at].latestName = name.toByteArray();
    if (at < m_rows)
        emit dataChanged(index(int(at)), index(int(at)));
}

ClientConnection &ClientModel::connection(std::optional<ClientId> id) const
{
    for (const Client &client : m_clients) {
        if (client.id == id)
            return *client.connection;
    }
    throw wire::SendError::noSuchClient(-1);
}

std::optional<ClientId> ClientModel::idAt(const QModelIndex &index)
{
    if (!index.isValid())
        return {};
    return index.data(IdRole).value<ClientId>();
}

QList<ClientConnection *> ClientModel::everyone() const
{
    QList<Client> clients = m_clients;
    std::sort(clients.begin(), clients.end(),
              [](const Client &a, const Client &b) { return a.id < b.id; });
    QList<ClientConnection *> connections;
    connections.reserve(clients.size());
    for (const Client &client : clients)
        connections.append(client.connection);
    return connections;
}

ClientConnection &ClientModel::earliest() const
{
    const auto first =
        std::min_element(m_clients.begin(), m_clients.end(),
                         [](const Client &a, const Client &b) { return a.id < b.id; });
    if (first == m_clients.end())
        throw wire::SendError::noSuchClient(0);
    return *first->connection;
}

int ClientModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows);
}

QVariant ClientModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Client &client = m_clients.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return client.connection->remoteAddress();
    case IdRole:
        return QVariant::fromValue(client.id);
    case ConnectedAtRole:
        return client.connection->connectedAt();
    case LatestNameRole:
        return wire::fromCp949(client.latestName);
    default:
        return {};
    }
}

qsizetype ClientModel::find(const ClientConnection &connection) const
{
    for (qsizetype i = 0; i < m_clients.size(); ++i) {
        if (m_clients.at(i).connection == &connection)
            return i;
    }
    return -1;
}

} // namespace server
