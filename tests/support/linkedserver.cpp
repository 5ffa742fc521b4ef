#include "linkedserver.h"

using namespace Qt::StringLiterals;
using chatlink::ChatLink;

LinkedServer::LinkedServer()
{
    server.start();
    QObject::connect(&link, &ChatLink::clientArrived,
                     [this](chatlink::ClientId id, const QString &address) {
                         notices.append(u"connected: "_s + address);
                         holdConfirmations ? unconfirmed.append(id) : link.listClient(id);
                     });
    QObject::connect(&link, &ChatLink::rowAppended,
                     [this](const QString &row) { rows.append(row); });
    QObject::connect(&link, &ChatLink::rowRemoved, [this](int row) { rows.removeAt(row); });
    QObject::connect(&link, &ChatLink::chatLineArrived,
                     [this](const QString &line) { chatLines.append(line); });
    QObject::connect(&link, &ChatLink::messageArrived,
                     [this](const QString &message) { messages.append(message); });
    QObject::connect(&link, &ChatLink::connectionFailed,
                     [this](chatlink::ConnectionFailure failure, const QString &text) {
                         failure == chatlink::ConnectionFailure::NetworkSetup
                             ? notices.append(u"network setup"_s)
                             : errors.append(text);
                     });
    QObject::connect(&link, &ChatLink::clientDropped,
                     [this](const QString &address) { notices.append(u"dropped: "_s + address); });
}
