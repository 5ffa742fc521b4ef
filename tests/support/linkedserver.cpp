#include "linkedserver.h"

using namespace Qt::StringLiterals;
using server::ChatRouter;

LinkedServer::LinkedServer()
{
    server.start();
    QObject::connect(&router, &ChatRouter::clientArrived,
                     [this](server::ClientId id, const QString &address) {
                         notices.append(u"connected: "_s + address);
                         holdConfirmations ? unconfirmed.append(id) : clients().confirm(id);
                     });
    QObject::connect(&router, &ChatRouter::chatLineArrived,
                     [this](const QString &line) { chatLines.append(line); });
    QObject::connect(&router, &ChatRouter::messageArrived,
                     [this](const QString &message) { messages.append(message); });
    QObject::connect(&router, &ChatRouter::connectionFailed,
                     [this](server::ConnectionFailure failure, int code, const QString &reason) {
                         failure == server::ConnectionFailure::NetworkSetup
                             ? notices.append(u"network setup"_s)
                             : errors.append(u"%1 %2"_s.arg(code).arg(reason));
                     });
    QObject::connect(&router, &ChatRouter::clientDropped,
                     [this](const QString &address) { notices.append(u"dropped: "_s + address); });
}

QStringList LinkedServer::rows()
{
    QStringList addresses;
    for (int row = 0; row < clients().rowCount(); ++row)
        addresses.append(clients().index(row).data().toString());
    return addresses;
}

server::ClientConnection &LinkedServer::rowClient(int row)
{
    return clients().connection(server::ClientModel::idAt(clients().index(row)));
}
