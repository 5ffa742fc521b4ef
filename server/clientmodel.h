#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <optional>

namespace server {

class ClientConnection;

// Names a client for the whole run; ids grow in the order clients connect.
using ClientId = quint64;

// Every connected client, one record each: its id, its connection, whether the operator has
// confirmed it, when it connected and the latest name it gave. The rows are the confirmed
// clients, in the order they were confirmed; a client has no row until it is confirmed, and its
// row goes when it leaves.
class ClientModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole, // ClientId
        ConnectedAtRole,       // QDateTime, local time
        LatestNameRole,        // the name its latest chat line carried; empty before one came
    };

    using QAbstractListModel::QAbstractListModel;

    // Takes the connection over, as the model's child.
    ClientId add(ClientConnection *connection);
    // Gives the client its row, at the end; nothing for a client that has left, or has one.
    void confirm(ClientId id);
    // Forgets the client and removes its row; the connection is deleted from the event loop.
    void remove(ClientConnection *connection);
    void noteName(const ClientConnection &connection, QByteArrayView name);

    // The client's connection; throws SendError (NoSuchClient, at position -1) for no client or
    // one that has left.
    ClientConnection &connection(std::optional<ClientId> id) const;
    // The client of a row; none for an index that holds none.
    static std::optional<ClientId> idAt(const QModelIndex &index);
    // Every connected client, confirmed or not, in the order they connected.
    QList<ClientConnection *> everyone() const;
    // The client connected longest ago, confirmed or not; throws SendError (NoSuchClient, at
    // position 0) when none is.
    ClientConnection &earliest() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    struct Client
    {
        ClientId id;
        ClientConnection *connection;
        QByteArray latestName; // in code page 949, as it came
    };

    qsizetype find(const ClientConnection &connection) const;

    QList<Client> m_clients; // the confirmed in row order, then the others in connection order
    qsizetype m_rows = 0;
    ClientId m_lastId = 0;
};

} // namespace server
