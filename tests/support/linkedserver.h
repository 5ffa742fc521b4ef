#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/clientconnection.h"

#include <QList>
#include <QStringList>

// A chat server listening on an ephemeral port, with a chat link whose reports are recorded. A
// new client is listed at once, as if its confirmation were dismissed, unless holdConfirmations
// is set: then its id waits in `unconfirmed` for the test to list it.
struct LinkedServer
{
    LinkedServer();

    chatlink::ChatServer server{0};
    chatlink::ChatLink link{server};

    bool holdConfirmations = false;
    QList<chatlink::ClientId> unconfirmed;
    QStringList rows;
    QStringList chatLines;
    QStringList messages;
    QStringList notices; // "connected: <address>", "network setup", "dropped: <address>"
    QStringList errors;
};
