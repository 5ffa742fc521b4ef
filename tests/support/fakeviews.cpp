#include "fakeviews.h"

#include <QTest>

using namespace Qt::StringLiterals;

void FakeViews::appendRow(const QString &text)
{
    rows.append(text);
    events.append(u"row: "_s + text);
}

void FakeViews::removeRow(int row)
{
    rows.removeAt(row);
    if (selected == row)
        selected = -1;
    else if (selected > row)
        --selected;
    events.append(u"removed: %1"_s.arg(row));
}

void FakeViews::appendChatLine(const QString &line)
{
    chatLines.append(line);
    events.append(u"chat: "_s + line);
}

void FakeViews::presentMessage(const QString &message)
{
    messages.append(message);
    events.append(u"message: "_s + message);
}

void FakeViews::clientConnected(const QString &address)
{
    const int index = int(notices.size());
    notice(u"connected: "_s + address);
    ++openBoxes;
    if (onBoxShown)
        onBoxShown(index);
    if (dismissWhen && !QTest::qWaitFor([&] { return dismissWhen(index); }, 10000))
        qWarning("box %d was never dismissed", index);
    --openBoxes;
}

void FakeViews::networkSetupError()
{
    notice(u"network setup"_s);
}

void FakeViews::socketError(const QString &text)
{
    errors.append(text);
    events.append(u"error: "_s + text);
}

void FakeViews::clientDropped(const QString &address)
{
    notice(u"dropped: "_s + address);
}

void FakeViews::notice(const QString &text)
{
    notices.append(text);
    events.append(u"box: "_s + text);
}
