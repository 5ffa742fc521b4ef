#include "rawclient.h"

#include <QTest>

std::unique_ptr<RawClient> connectListed(quint16 port, const std::function<qsizetype()> &rowCount)
{
    const qsizetype rows = rowCount();
    auto client = std::make_unique<RawClient>(port);
    return QTest::qWaitFor([&] { return rowCount() > rows; }) ? std::move(client) : nullptr;
}

QByteArray filledBlock(QByteArrayView text)
{
    return text.toByteArray().leftJustified(100, '\0');
}
