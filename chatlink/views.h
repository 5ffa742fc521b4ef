#pragma once

// What the chat link needs of the operator's windows. The windows implement these; tests and
// headless tools implement them without any widget.

#include <QString>

namespace chatlink {

// The list of connected clients' addresses shown to the operator.
class ClientListView
{
public:
    virtual ~ClientListView() = default;
    virtual void appendRow(const QString &text) = 0;
    virtual void removeRow(int row) = 0;
    // -1 when no row is selected.
    virtual int selectedRow() const = 0;
};

// Where incoming texts are handed over, already decoded.
class IncomingView
{
public:
    virtual ~IncomingView() = default;
    virtual void appendChatLine(const QString &line) = 0;
    virtual void presentMessage(const QString &message) = 0;
};

// Modal notices to the operator.
class OperatorPrompt
{
public:
    virtual ~OperatorPrompt() = default;
    // A one-line box with an OK button; returns once it has been dismissed.
    virtual void showMessage(const QString &text) = 0;
    // The standard display of an error that stopped an action.
    virtual void showError(const QString &text) = 0;
};

} // namespace chatlink
