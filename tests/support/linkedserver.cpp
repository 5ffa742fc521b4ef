#include "linkedserver.h"

#include <QTest>

void FakeViews::clientConnected(const QString &address)
{
    const int index = int(notices.size());
    notices.append(QStringLiteral("connected: ") + address);
    if (dismissWhen && !QTest::qWaitFor([&] { return dismissWhen(index); }, 10000))
        qWarning("box %d was never dismissed", index);
}
