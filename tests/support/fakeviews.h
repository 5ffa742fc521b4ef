#pragma once

#include "chatlink/views.h"

#include <QStringList>
#include <functional>

// Records everything the chat link shows. A box returns at once unless dismissWhen is set, in
// which case it stays open (running a nested loop, as a modal box does) until the condition holds.
class FakeViews : public chatlink::ClientListView,
                  public chatlink::IncomingView,
                  public chatlink::OperatorPrompt
{
public:
    void appendRow(const QString &text) override;
    void removeRow(int row) override;
    int selectedRow() const override { return selected; }
    void appendChatLine(const QString &line) override;
    void presentMessage(const QString &message) override;
    void showMessage(const QString &text) override;
    void showError(const QString &text) override;

    QStringList rows;
    int selected = -1;
    QStringList chatLines;
    QStringList messages;
    QStringList notices;
    QStringList errors;
    QStringList events; // everything above, in order, as "kind: text"
    int openBoxes = 0;

    // Called with the box's index (counting every box shown) once it is open.
    std::function<void(int)> onBoxShown;
    std::function<bool(int)> dismissWhen;
};
