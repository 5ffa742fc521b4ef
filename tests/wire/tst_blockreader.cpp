#include "blockreader.h"
#include "rawclient.h"

#include <QTest>

using namespace wire;
using namespace Qt::StringLiterals;

namespace {

// A step of a client's stream: bytes as one arrival, or the settle time passing.
const QByteArray kPause = QByteArray();

// The texts "Mkim:0" … "Mkim:<count - 1>", and the same as blocks.
QList<QByteArray> texts(int count)
{
    QList<QByteArray> all;
    for (int i = 0; i < count; ++i)
        all.append("Mkim:" + QByteArray::number(i));
    return all;
}
QByteArray blocks(int count)
{
    QByteArray all;
    for (const QByteArray &text : texts(count))
        all += filledBlock(text);
    return all;
}

} // namespace

class TestBlockReader : public QObject
{
    Q_OBJECT

private slots:
    void readingRules_data();
    void readingRules();
};

void TestBlockReader::readingRules_data()
{
    QTest::addColumn<QList<QByteArray>>("steps");
    QTest::addColumn<QList<QByteArray>>("expected");

    // Whole blocks in any pieces, with one pause or none, are the fuzzer's; these are the rest.
    const QByteArray split = filledBlock("Mkim:split here");
    const QByteArray full = "Mkim:" + QByteArray(95, 'x'); // no zero in its block
    // An empty text sent from a reused buffer.
    const QByteArray stale = "\0kim:stale buffer"_ba + QByteArray(79, '\0') + "junk";
    QTest::newRow("late rest alone, then a block starting with a zero")
        << QList{split.first(9), kPause, split.sliced(9), kPause, stale + blocks(2)}
        << QList{"Mkim:spli"_ba} + texts(2);
    QTest::newRow("late rest, then a text without a tag")
        << QList{split.first(9), kPause, split.sliced(9) + filledBlock("Xkim:odd") + blocks(2)}
        << QList{"Mkim:spli"_ba, "Xkim:odd"_ba} + texts(2);
    QTest::newRow("full text, rest late in pieces, a pause between")
        << QList{full.first(60), kPause, full.sliced(60).first(20), kPause,
                 full.sliced(80) + blocks(2)}
        << QList{full.first(60)} + texts(2);
    QTest::newRow("block starting with a zero, its zero alone")
        << QList{stale.first(1), stale.sliced(1) + blocks(3)} << texts(3);
    QTest::newRow("unfilled texts")
        << QList{"Mkim:one"_ba, kPause, "Mkim:two"_ba, kPause, blocks(2)}
        << QList{"Mkim:one"_ba, "Mkim:two"_ba} + texts(2);
    QTest::newRow("unfilled text, then a block is no late rest")
        << QList{"Mkim:one"_ba, kPause, blocks(3)} << QList{"Mkim:one"_ba} + texts(3);
    QTest::newRow("unfilled texts without a pause merge")
        << QList{"Mkim:a"_ba, "Mkim:b"_ba, kPause} << QList{"Mkim:aMkim:b"_ba};
    QTest::newRow("unfilled text and blocks in one read")
        << QList{"Mkim:hi"_ba + filledBlock("Mkim:sent") + blocks(4)}
        << QList{"Mkim:hiMkim:sent"_ba} + texts(4);
    QTest::newRow("short texts ended by a zero")
        << QList{"Mkim:one\0"_ba, "Mkim:two\0xy"_ba, "Mkim:three\0"_ba}
        << QList{"Mkim:one"_ba, "Mkim:two"_ba, "Mkim:three"_ba};
    QTest::newRow("bytes after the zero in the same read")
        << QList{"Mkim:hi\0Sjunk"_ba + QByteArray(87, 'z') + blocks(1)}
        << QList{"Mkim:hi"_ba} + texts(1);
    QTest::newRow("nothing held, nothing settles") << QList{blocks(1), kPause, kPause} << texts(1);
}

void TestBlockReader::readingRules()
{
    QFETCH(QList<QByteArray>, steps);
    QFETCH(QList<QByteArray>, expected);
    BlockReader reader;
    QList<QByteArray> read;
    for (const QByteArray &step : steps) {
        QByteArrayView bytes = step;
        if (step.isNull()) {
            if (auto text = reader.settle())
                read.append(text->toByteArray());
        }
        while (const auto text = reader.feedSome(bytes))
            read.append(text->toByteArray());
    }
    QCOMPARE(read, expected);
}

QTEST_APPLESS_MAIN(TestBlockReader)
#include "tst_blockreader.moc"
