#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "fakeviews.h"

// A chat server listening on an ephemeral port, with a chat link over recording views wired to
// its events the way the console wires its socket handlers.
struct LinkedServer
{
    LinkedServer();

    chatlink::ChatServer server{0};
    FakeViews views;
    chatlink::ChatLink link{server, views, views, views};
};
