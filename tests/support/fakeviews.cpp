#include "fakeviews.h"

#include <QTest>

void FakeViews::removeRow(int row)
{
    rows.removeAt(row);
    if (selected == row)
        selected = -1;
    else if (selected > row)
        --selected;
}

void FakeViews::clientConnected(const QString &address)
{
    const int index = int(notices.size());
    notices.append(QStringLiteral("connected: ") + address);
    ++openBoxes;
    if (onBoxShown)
        onBoxShown(index);
    if (dismissWhen && !QTest::qWaitFor([&] { return dismissWhen(index); }, 10000))
        qWarning("box %d was never dismissed", index);
    --openBoxes;
}
