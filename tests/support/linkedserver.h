#pragma once

#include "chatrouter.h"
#include "chatserver.h"
#include "clientconnection.h"

#include <QList>
#include <QStringList>

// A chat server listening on an ephemeral port, with a router whose reports are recorded. A new
// client is confirmed at once, as if its box were dismissed, unless holdConfirmations is set: then
// its id waits in `unconfirmed` for the test to confirm it.
struct LinkedServer
{
    LinkedServer();

    server::ClientModel &clients() { return router.clients(); }
    // The addresses the rows show.
    QStringList rows();
    server::ClientConnection &rowClient(int row);

    server::ChatServer server{0};
    server::ChatRouter router{server};

    bool holdConfirmations = false;
    QList<server::ClientId> unconfirmed;
    QStringList chatLines;
    QStringList messages;
    QStringList notices; // "connected: <address>", "network setup", "dropped: <address>"
    QStringList errors;  // "<code> <reason>"
};
