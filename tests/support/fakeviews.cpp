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

void FakeViews::showMessage(const QString &text)
{
    const int index = int(notices.size());
    notices.append(text);
    events.append(u"box: "_s + text);
    ++openBoxes;
    if (onBoxShown)
        onBoxShown(index);
    if (dismissWhen && !QTest::qWaitFor([&] { return dismissWhen(index); }, 10000))
        qWarning("box %d was never dismissed", index);
    --openBoxes;
}

void FakeViews::showError(const QString &text)
{
    errors.append(text);
    events.append(u"error: "_s + text);
}
