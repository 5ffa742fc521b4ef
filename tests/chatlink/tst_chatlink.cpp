#include "chatlink/block.h"
#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/cp949.h"
#include "chatlink/errors.h"
#include "fakeviews.h"
#include "linkedserver.h"
#include "rawclient.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace chatlink;
using namespace Qt::StringLiterals;

namespace {
const QString kConnectedNotice = u"클라이언트와 연결되었습니다"_s;
const QString kNetworkSetupNotice = u"통신 설정을 확인해주세요"_s;
} // namespace

class TestChatLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void confirmsThenListsEachClient();
    void rowsBoundToClientsAcceptedDuringOpenBox();
    void clientLeavingBeforeConfirmationGetsNoRow();
    void rowLeavesWithItsConnection();
    void noSelectionThrowsListIndexError();

    void readsFromTheClientThatSent();
    void routesReceivedTexts_data();
    void routesReceivedTexts();
    void readsOneBlockPerNotification();
    void dropsZeroFillOfASplitBlock();
    void keepsShortZeroTerminatedTexts();
    void joinsBlockSplitInsideItsText();
    void takesUnfilledTextsAsTheyCome();
    void takesUnfilledTextBeforeClose();
    void lateRestOfASplitBlockKeepsStep();
    void unfilledTextAndBlocksInOneWrite();
    void abortedConnectionIsInert();
    void clientThatStopsReadingIsDroppedWithNotice();

    void filtersNetworkSetupErrors_data();
    void filtersNetworkSetupErrors();
    void showsResetWithSocketText();

private:
    // Connects a client and waits until its row is listed.
    std::unique_ptr<RawClient> connectListed();

    std::unique_ptr<LinkedServer> m_linked;
};

void TestChatLink::init()
{
    m_linked = std::make_unique<LinkedServer>();
    QVERIFY(m_linked->server.isListening());
}

void TestChatLink::cleanup()
{
    m_linked.reset();
}

std::unique_ptr<RawClient> TestChatLink::connectListed()
{
    return ::connectListed(m_linked->server.serverPort(),
                           [this] { return m_linked->views.rows.size(); });
}

void TestChatLink::confirmsThenListsEachClient()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    QCOMPARE(m_linked->views.events,
             QStringList({u"box: "_s + kConnectedNotice, u"row: 127.0.0.1"_s,
                          u"box: "_s + kConnectedNotice, u"row: 127.0.0.1"_s}));
    // Same address, own rows, each bound to its own client.
    m_linked->link.rowClient(0)->send(filledBlock("Mto:a"));
    m_linked->link.rowClient(1)->send(filledBlock("Mto:b"));
    QCOMPARE(a->receive(kBlockSize), filledBlock("Mto:a"));
    QCOMPARE(b->receive(kBlockSize), filledBlock("Mto:b"));
}

void TestChatLink::rowsBoundToClientsAcceptedDuringOpenBox()
{
    std::unique_ptr<RawClient> second;
    // The first box stays open until the second client has been listed; the second client
    // connects while the first box is open and its box is dismissed at once.
    m_linked->views.onBoxShown = [&](int box) {
        if (box == 0)
            second = std::make_unique<RawClient>(m_linked->server.serverPort());
    };
    m_linked->views.dismissWhen = [&](int box) {
        return box == 1 || m_linked->views.rows.size() == 1;
    };

    RawClient first(m_linked->server.serverPort());
    QTRY_COMPARE(m_linked->views.rows.size(), 2);
    QCOMPARE(m_linked->views.notices.size(), 2);

    // The second client's row came first; each row still addresses its own client.
    m_linked->link.rowClient(0)->send(filledBlock("Mfor:second"));
    m_linked->link.rowClient(1)->send(filledBlock("Mfor:first"));
    QCOMPARE(second->receive(kBlockSize), filledBlock("Mfor:second"));
    QCOMPARE(first.receive(kBlockSize), filledBlock("Mfor:first"));
}

void TestChatLink::clientLeavingBeforeConfirmationGetsNoRow()
{
    auto leaver = std::make_unique<RawClient>(m_linked->server.serverPort());
    m_linked->views.onBoxShown = [&](int) { leaver->close(); };
    m_linked->views.dismissWhen = [&](int) { return m_linked->server.count() == 0; };
    QTRY_COMPARE(m_linked->views.notices.size(), 1);
    QTRY_COMPARE(m_linked->views.openBoxes, 0);
    QVERIFY(m_linked->views.rows.isEmpty());
    QVERIFY(m_linked->views.errors.isEmpty());

    // Later clients are listed as usual.
    m_linked->views.dismissWhen = nullptr;
    auto next = connectListed();
    QVERIFY(next);
    QCOMPARE(m_linked->views.rows.size(), 1);
    m_linked->link.rowClient(0)->send(filledBlock("Mhi"));
    QCOMPARE(next->receive(kBlockSize), filledBlock("Mhi"));
}

void TestChatLink::rowLeavesWithItsConnection()
{
    auto a = connectListed();
    auto b = connectListed();
    auto c = connectListed();
    QVERIFY(a && b && c);
    m_linked->views.selected = 2;
    b->close();
    QTRY_COMPARE(m_linked->views.rows.size(), 2);
    QCOMPARE(m_linked->views.events.last(), u"removed: 1"_s);
    // The selection follows its client; every row still addresses its own.
    QCOMPARE(m_linked->link.selectedClient(), m_linked->link.rowClient(1));
    m_linked->link.rowClient(0)->send(filledBlock("Mto:a"));
    m_linked->link.selectedClient()->send(filledBlock("Mto:c"));
    QCOMPARE(a->receive(kBlockSize), filledBlock("Mto:a"));
    QCOMPARE(c->receive(kBlockSize), filledBlock("Mto:c"));
    QVERIFY_THROWS_EXCEPTION(ListIndexError, m_linked->link.rowClient(2));
    QVERIFY(m_linked->views.errors.isEmpty());
}

void TestChatLink::noSelectionThrowsListIndexError()
{
    auto a = connectListed();
    QVERIFY(a);
    m_linked->views.selected = -1;
    try {
        m_linked->link.selectedClient();
        QFAIL("no exception without a selected row");
    } catch (const ListIndexError &e) {
        QCOMPARE(e.text(), u"List index out of bounds (-1)"_s);
    }
}

void TestChatLink::readsFromTheClientThatSent()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    m_linked->views.selected = 0;
    b->send(filledBlock("Mlee:from b"));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"lee:from b"_s});
    m_linked->views.selected = -1;
    a->send(filledBlock("Mkim:from a"));
    QTRY_COMPARE(m_linked->views.chatLines.size(), 2);
    QCOMPARE(m_linked->views.chatLines.last(), u"kim:from a"_s);
}

void TestChatLink::routesReceivedTexts_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("chatLines");
    QTest::addColumn<QStringList>("messages");

    QTest::newRow("chat line") << filledBlock("Mkim:hello") << QStringList{u"kim:hello"_s}
                               << QStringList();
    QTest::newRow("message") << filledBlock("Skim:see you") << QStringList()
                             << QStringList{u"kim:see you"_s};
    QTest::newRow("message with CR LF")
        << filledBlock("Skim:a\r\nb") << QStringList() << QStringList{u"kim:a\r\nb"_s};
    QTest::newRow("S alone") << filledBlock("S") << QStringList() << QStringList{QString()};
    QTest::newRow("other tag ignored") << filledBlock("Xkim:hi") << QStringList() << QStringList();
    QTest::newRow("lower-case tag ignored")
        << filledBlock("mkim:hi") << QStringList() << QStringList();
    QTest::newRow("all zero ignored") << QByteArray(100, '\0') << QStringList() << QStringList();
    QTest::newRow("without zero fill")
        << "Mkim:short"_ba << QStringList{u"kim:short"_s} << QStringList();
    QTest::newRow("bytes after the zero ignored")
        << "Mkim:hi\0Sjunk"_ba + QByteArray(87, 'z') << QStringList{u"kim:hi"_s} << QStringList();
    QTest::newRow("100 non-zero bytes")
        << QByteArray(100, 'M') << QStringList{QString(99, u'M')} << QStringList();
    QTest::newRow("Hangul from code page 949") << filledBlock(toCp949(u"M김:안녕하세요"_s))
                                               << QStringList{u"김:안녕하세요"_s} << QStringList();
}

void TestChatLink::routesReceivedTexts()
{
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, chatLines);
    QFETCH(QStringList, messages);
    auto client = connectListed();
    QVERIFY(client);
    client->send(sent);
    // A chat line from a second client marks when the first one's text has been handled.
    auto marker = connectListed();
    QVERIFY(marker);
    marker->send(filledBlock("Mmarker"));
    QTRY_VERIFY(m_linked->views.chatLines.contains(u"marker"_s));
    // A text without its zero fill is taken once it has settled.
    const auto lines = [&] {
        QStringList l = m_linked->views.chatLines;
        l.removeAll(u"marker"_s);
        return l;
    };
    QTRY_COMPARE(lines(), chatLines);
    QCOMPARE(m_linked->views.messages, messages);
}

void TestChatLink::readsOneBlockPerNotification()
{
    auto client = connectListed();
    QVERIFY(client);
    // Three blocks in one write are three texts; a short text is taken as it came.
    client->send(filledBlock("Mkim:1") + filledBlock("Skim:2") + filledBlock("Mkim:3"));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList({u"kim:1"_s, u"kim:3"_s}));
    QCOMPARE(m_linked->views.messages, QStringList{u"kim:2"_s});
}

void TestChatLink::dropsZeroFillOfASplitBlock()
{
    auto client = connectListed();
    QVERIFY(client);
    // TCP delivered a block in two pieces, the cut inside its zero fill; the rest of the fill
    // arrives together with the next block.
    const QByteArray first = filledBlock("Mkim:first");
    client->send(first.first(30));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"kim:first"_s});
    client->send(first.sliced(30) + filledBlock("Mkim:second") + filledBlock("Mkim:third"));
    QTRY_COMPARE(m_linked->views.chatLines.size(), 3);
    QCOMPARE(m_linked->views.chatLines,
             QStringList({u"kim:first"_s, u"kim:second"_s, u"kim:third"_s}));
}

void TestChatLink::keepsShortZeroTerminatedTexts()
{
    auto client = connectListed();
    QVERIFY(client);
    // A client that ends each text with a single zero, or with a short run of garbage.
    client->send("Mkim:one\0"_ba);
    QTRY_COMPARE(m_linked->views.chatLines.size(), 1);
    client->send("Mkim:two\0xy"_ba);
    QTRY_COMPARE(m_linked->views.chatLines.size(), 2);
    client->send("Mkim:three\0"_ba);
    QTRY_COMPARE(m_linked->views.chatLines.size(), 3);
    QCOMPARE(m_linked->views.chatLines, QStringList({u"kim:one"_s, u"kim:two"_s, u"kim:three"_s}));
}

void TestChatLink::joinsBlockSplitInsideItsText()
{
    auto client = connectListed();
    QVERIFY(client);
    // TCP delivered the block in two pieces, cut inside its text.
    const QByteArray block = filledBlock("Mkim:hello there");
    ClientConnection *connection = m_linked->link.rowClient(0);
    QSignalSpy reads(connection, &ClientConnection::readyRead);
    client->send(block.first(8));
    QVERIFY(reads.wait());
    client->send(block.sliced(8) + filledBlock("Mkim:next"));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList({u"kim:hello there"_s, u"kim:next"_s}));
}

void TestChatLink::takesUnfilledTextsAsTheyCome()
{
    auto client = connectListed();
    QVERIFY(client);
    client->send("Mkim:one"_ba);
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"kim:one"_s});
    client->send("Mkim:two"_ba);
    QTRY_COMPARE(m_linked->views.chatLines, QStringList({u"kim:one"_s, u"kim:two"_s}));
    // Back in step for the blocks that follow.
    client->send(filledBlock("Mkim:three"));
    QTRY_COMPARE(m_linked->views.chatLines.size(), 3);
    QCOMPARE(m_linked->views.chatLines.last(), u"kim:three"_s);
}

void TestChatLink::takesUnfilledTextBeforeClose()
{
    auto client = connectListed();
    QVERIFY(client);
    client->send("Mkim:bye"_ba);
    client->close();
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"kim:bye"_s});
    QTRY_VERIFY(m_linked->views.rows.isEmpty());
}

void TestChatLink::lateRestOfASplitBlockKeepsStep()
{
    auto client = connectListed();
    QVERIFY(client);
    // A segment lost inside a block's text is retransmitted long after the settle time; the
    // front has been taken as a text of its own by then.
    const QByteArray split = filledBlock("Mkim:split here");
    client->send(split.first(9));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"kim:spli"_s});
    QByteArray burst = split.sliced(9);
    QStringList expected{u"kim:spli"_s};
    for (int i = 0; i < 5; ++i) {
        burst += filledBlock("Mkim:" + QByteArray::number(i));
        expected.append(u"kim:%1"_s.arg(i));
    }
    client->send(burst);
    QTRY_COMPARE(m_linked->views.chatLines.size(), expected.size());
    QCOMPARE(m_linked->views.chatLines, expected);
}

void TestChatLink::unfilledTextAndBlocksInOneWrite()
{
    auto client = connectListed();
    QVERIFY(client);
    // Enter, then Send, while the server was busy: one read holds the unfilled text and the
    // front of the block, as before; the rest of that block's fill must not shift the rest.
    QByteArray burst = "Mkim:hi"_ba + filledBlock("Mkim:sent");
    QStringList expected{u"kim:hiMkim:sent"_s};
    for (int i = 0; i < 5; ++i) {
        burst += filledBlock("Mkim:" + QByteArray::number(i));
        expected.append(u"kim:%1"_s.arg(i));
    }
    client->send(burst);
    QTRY_COMPARE(m_linked->views.chatLines.size(), expected.size());
    QCOMPARE(m_linked->views.chatLines, expected);
}

void TestChatLink::abortedConnectionIsInert()
{
    auto client = connectListed();
    QVERIFY(client);
    QPointer<ClientConnection> connection = m_linked->link.rowClient(0);
    QSignalSpy reads(connection.get(), &ClientConnection::readyRead);
    client->send("Mkim:held"_ba); // held for its settle time
    QVERIFY(reads.wait());
    connection->abort();
    QVERIFY(client->peerClosed());
    // Past the settle time, nothing of the aborted connection surfaces.
    QTest::qWait(4 * kTextSettleMs);
    QVERIFY(m_linked->views.chatLines.isEmpty());
    QVERIFY(m_linked->views.errors.isEmpty());
    QCOMPARE(m_linked->views.notices.size(), 1); // its confirmation
}

void TestChatLink::clientThatStopsReadingIsDroppedWithNotice()
{
    RawClient sleeper(m_linked->server.serverPort(), 4096);
    QTRY_COMPARE(m_linked->views.rows.size(), 1);
    QPointer<ClientConnection> connection = m_linked->link.rowClient(0);
    const QByteArray block = filledBlock("Mkim:are you there?");
    // It never reads: its kernel buffers fill, then the send queue, then it is dropped.
    for (int sent = 0; connection && connection->isOpen() && sent < 100'000; ++sent)
        connection->send(block);
    QTRY_VERIFY(m_linked->views.rows.isEmpty());
    QVERIFY(sleeper.peerClosed());
    QVERIFY(m_linked->views.errors.isEmpty());
    QCOMPARE(m_linked->views.notices.last(),
             u"127.0.0.1 클라이언트가 데이터를 받지 않아 연결을 끊었습니다"_s);
}

void TestChatLink::filtersNetworkSetupErrors_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("plainMessage");
    QTest::newRow("no buffer space") << ENOBUFS << true;
    QTest::newRow("network unreachable") << ENETUNREACH << true;
    QTest::newRow("already connected") << EISCONN << true;
    QTest::newRow("connection refused") << ECONNREFUSED << true;
    QTest::newRow("connection reset") << ECONNRESET << false;
    QTest::newRow("connection aborted") << ECONNABORTED << false;
    QTest::newRow("timed out") << ETIMEDOUT << false;
}

void TestChatLink::filtersNetworkSetupErrors()
{
    QFETCH(int, code);
    QFETCH(bool, plainMessage);
    m_linked->link.clientError(nullptr, code, u"the socket layer's text"_s);
    if (plainMessage) {
        QCOMPARE(m_linked->views.notices, QStringList{kNetworkSetupNotice});
        QVERIFY(m_linked->views.errors.isEmpty());
    } else {
        QVERIFY(m_linked->views.notices.isEmpty());
        QCOMPARE(m_linked->views.errors, QStringList{u"the socket layer's text"_s});
    }
}

void TestChatLink::showsResetWithSocketText()
{
    auto a = connectListed();
    auto b = connectListed();
    QVERIFY(a && b);
    a->reset();
    QTRY_COMPARE(m_linked->views.errors.size(), 1);
    QVERIFY2(m_linked->views.errors.at(0).contains(u"Connection reset by peer"_s),
             qPrintable(m_linked->views.errors.at(0)));
    QCOMPARE(m_linked->views.notices.size(), 2); // the two confirmations, nothing more
    QCOMPARE(m_linked->views.rows.size(), 1);
    m_linked->link.rowClient(0)->send(filledBlock("Mstill:here"));
    QCOMPARE(b->receive(kBlockSize), filledBlock("Mstill:here"));
}

QTEST_GUILESS_MAIN(TestChatLink)
#include "tst_chatlink.moc"
