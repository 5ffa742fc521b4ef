#include "chatlink/block.h"
#include "chatlink/errors.h"

#include <QTest>

using namespace chatlink;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(chatlink::TextKind)

class TestBlock : public QObject
{
    Q_OBJECT

private slots:
    void composesTagNameColonBody_data();
    void composesTagNameColonBody();
    void buildsZeroFilledBlock_data();
    void buildsZeroFilledBlock();
    void refusesTextLongerThanBlock();
    void readsTextUpToFirstZero_data();
    void readsTextUpToFirstZero();
    void recognisesTags_data();
    void recognisesTags();
};

void TestBlock::composesTagNameColonBody_data()
{
    QTest::addColumn<char>("tag");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("chat line") << 'M' << "kim"_ba
                               << "hello"_ba
                               << "Mkim:hello"_ba;
    QTest::newRow("empty name") << 'M' << ""_ba
                                << "hello"_ba
                                << "M:hello"_ba;
    QTest::newRow("empty body") << 'M' << "kim"_ba
                                << ""_ba
                                << "Mkim:"_ba;
    QTest::newRow("colon in name kept") << 'M' << "a:b"_ba
                                        << "c"_ba
                                        << "Ma:b:c"_ba;
    QTest::newRow("message with CR LF") << 'S' << "Input Data"_ba
                                        << "a\r\nb"_ba
                                        << "SInput Data:a\r\nb"_ba;
}

void TestBlock::composesTagNameColonBody()
{
    QFETCH(char, tag);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, text);
    QCOMPARE(composeText(tag, name, body), text);
}

void TestBlock::buildsZeroFilledBlock_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("example") << "Mkim:hello"_ba;
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("99 bytes") << QByteArray(99, 'x');
    QTest::newRow("exactly 100 bytes") << QByteArray(100, 'x');
}

void TestBlock::buildsZeroFilledBlock()
{
    QFETCH(QByteArray, text);
    const Block block = buildBlock(text);
    const QByteArray bytes(block.data(), block.size());
    QCOMPARE(bytes.size(), 100);
    QCOMPARE(bytes.first(text.size()), text);
    QCOMPARE(bytes.sliced(text.size()), QByteArray(100 - text.size(), '\0'));
}

void TestBlock::refusesTextLongerThanBlock()
{
    QVERIFY_THROWS_EXCEPTION(BlockOverflowError, buildBlock(QByteArray(101, 'x')));
    try {
        ensureFitsBlock(QByteArray(250, 'x'));
        QFAIL("a 250-byte text was accepted");
    } catch (const BlockOverflowError &e) {
        QCOMPARE(e.size(), 250);
        QCOMPARE(e.text(), u"메시지가 너무 깁니다 (최대 100바이트)"_s);
    }
}

void TestBlock::readsTextUpToFirstZero_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("filled block") << "Mkim:hello"_ba
                                  << "Mkim:hello"_ba;
    QTest::newRow("all zero") << QByteArray() << QByteArray();
    QTest::newRow("bytes after the zero ignored") << "Mkim:hi\0Sgarbage"_ba
                                                  << "Mkim:hi"_ba;
    QTest::newRow("100 non-zero bytes") << QByteArray(100, 'M') << QByteArray(100, 'M');
}

void TestBlock::readsTextUpToFirstZero()
{
    QFETCH(QByteArray, received);
    QFETCH(QByteArray, text);
    Block buffer{};
    std::copy(received.begin(), received.end(), buffer.begin());
    QCOMPARE(readBlock(buffer).toByteArray(), text);
}

void TestBlock::recognisesTags_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<TextKind>("kind");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("chat line") << "Mkim:hello"_ba << TextKind::ChatLine << "kim:hello"_ba;
    QTest::newRow("message") << "Skim:see you"_ba << TextKind::Message << "kim:see you"_ba;
    QTest::newRow("S alone") << "S"_ba << TextKind::Message << QByteArray();
    QTest::newRow("empty") << QByteArray() << TextKind::Ignored << QByteArray();
    QTest::newRow("lower-case m") << "mkim:hi"_ba << TextKind::Ignored << QByteArray();
    QTest::newRow("lower-case s") << "skim:hi"_ba << TextKind::Ignored << QByteArray();
    QTest::newRow("other tag") << "Xkim:hi"_ba << TextKind::Ignored << QByteArray();
    QTest::newRow("99-byte payload")
        << QByteArray(100, 'M') << TextKind::ChatLine << QByteArray(99, 'M');
}

void TestBlock::recognisesTags()
{
    QFETCH(QByteArray, text);
    QFETCH(TextKind, kind);
    QFETCH(QByteArray, payload);
    const ReceivedText received = recognise(text);
    QCOMPARE(received.kind, kind);
    QCOMPARE(received.payload.toByteArray(), payload);
}

QTEST_APPLESS_MAIN(TestBlock)
#include "tst_block.moc"
