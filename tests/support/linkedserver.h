#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/clientconnection.h"
#include "fakeviews.h"

// A chat server listening on an ephemeral port, with a chat link over recording views.
struct LinkedServer
{
    LinkedServer() { server.start(); }

    chatlink::ChatServer server{0};
    FakeViews views;
    chatlink::ChatLink link{server, views, views, views};
};
