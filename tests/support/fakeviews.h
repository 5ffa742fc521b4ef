#pragma once

#include "chatlink/views.h"

#include <QStringList>
#include <functional>

// Records everything the chat link shows. The confirmation of a new client returns at once
// unless dismissWhen is set, in which case it stays open (running a nested loop, as a modal box
// does) until the condition holds.
class FakeViews : public chatlink::ClientListView,
                  public chatlink::IncomingView,
                  public chatlink::OperatorNotices
{
public:
    void appendRow(const QString &text) override;
    void removeRow(int row) override;
    int selectedRow() const override { return selected; }
    void appendChatLine(const QString &line) override;
    void presentMessage(const QString &message) override;
    void clientConnected(const QString &address) override;
    void networkSetupError() override;
    void socketError(const QString &text) override;
    void clientDropped(const QString &address) override;

    QStringList rows;
    int selected = -1;
    QStringList chatLines;
    QStringList messages;
    QStringList notices; // "connected: <address>", "network setup", "dropped: <address>"
    QStringList errors;  // socket errors' texts
    QStringList events;  // everything above, in order, as "kind: text"
    int openBoxes = 0;

    // Called with the confirmation's index (counting every confirmation) once it is open.
    std::function<void(int)> onBoxShown;
    std::function<bool(int)> dismissWhen;

private:
    void notice(const QString &text);
};
