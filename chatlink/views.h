#pragma once

// What the chat link needs of the operator's windows. The windows implement these; tests and
// headless tools implement them without any widget.

#include <QDateTime>
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
    // What is known of the client behind a row: when it connected, and the name its latest chat
    // line carried (empty before it sent one).
    virtual void describeRow(int row, const QDateTime &connected, const QString &latestName) = 0;
};

// Where incoming texts are handed over, already decoded.
class IncomingView
{
public:
    virtual ~IncomingView() = default;
    virtual void appendChatLine(const QString &line) = 0;
    virtual void presentMessage(const QString &message) = 0;
};

// What the chat link tells the operator about connections; the windows choose the words. Each
// may show a modal box and so run a nested event loop.
class OperatorNotices
{
public:
    virtual ~OperatorNotices() = default;
    // A client connected; returns once the operator has seen it. Its row is listed after.
    virtual void clientConnected(const QString &address) = 0;
    // A connection failed in a way that means the network is set up wrongly.
    virtual void networkSetupError() = 0;
    // A connection failed; the text is the socket layer's own.
    virtual void socketError(const QString &text) = 0;
    // A client stopped reading what it was sent and was disconnected.
    virtual void clientDropped(const QString &address) = 0;
};

} // namespace chatlink
