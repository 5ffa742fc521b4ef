#include "linkedserver.h"

using chatlink::ChatLink;
using chatlink::ChatServer;

LinkedServer::LinkedServer()
{
    QObject::connect(&server, &ChatServer::clientConnected, &link, &ChatLink::clientConnected);
    QObject::connect(&server, &ChatServer::clientRead, &link, &ChatLink::clientRead);
    QObject::connect(&server, &ChatServer::clientError, &link, &ChatLink::clientError);
    server.start();
}
