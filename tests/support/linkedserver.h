#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/clientconnection.h"
#include "chatlink/views.h"

#include <QStringList>
#include <functional>

// Records everything the chat link shows. The confirmation of a new client returns at once
// unless dismissWhen is set: then it stays open, running a nested loop as a modal box does, until
// the condition, asked first as the box opens, holds for the box's index (counting every notice).
class FakeViews : public chatlink::ClientListView,
                  public chatlink::IncomingView,
                  public chatlink::OperatorNotices
{
public:
    void appendRow(const QString &text) override { rows.append(text); }
    void removeRow(int row) override { rows.removeAt(row); }
    int selectedRow() const override { return selected; }
    void describeRow(int, const QDateTime &, const QString &) override {}
    void appendChatLine(const QString &line) override
    {
        onChatLine ? onChatLine(line) : chatLines.append(line);
    }
    void presentMessage(const QString &message) override { messages.append(message); }
    void clientConnected(const QString &address) override;
    void networkSetupError() override { notices.append(QStringLiteral("network setup")); }
    void socketError(const QString &text) override { errors.append(text); }
    void clientDropped(const QString &address) override
    {
        notices.append(QStringLiteral("dropped: ") + address);
    }

    QStringList rows;
    int selected = -1;
    QStringList chatLines;
    QStringList messages;
    QStringList notices; // "connected: <address>", "network setup", "dropped: <address>"
    QStringList errors;

    // When set, chat lines go here instead of being recorded.
    std::function<void(const QString &)> onChatLine;
    std::function<bool(int)> dismissWhen;
};

// A chat server listening on an ephemeral port, with a chat link over recording views.
struct LinkedServer
{
    LinkedServer() { server.start(); }

    chatlink::ChatServer server{0};
    FakeViews views;
    chatlink::ChatLink link{server, views, views, views};
};
