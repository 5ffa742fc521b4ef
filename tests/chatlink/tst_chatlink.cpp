// The server and the chat link over real loopback sockets, with recording views.

#include "chatlink/cp949.h"
#include "chatlink/errors.h"
#include "chatlink/socketio.h"
#include "linkedserver.h"
#include "rawclient.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace chatlink;
using namespace Qt::StringLiterals;

class TestChatLink : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_linked = std::make_unique<LinkedServer>(); }
    void cleanup() { m_linked.reset(); }

    void rowsAreBoundToTheirClients();
    void clientLeavingBeforeConfirmationGetsNoRow();
    void readsFromTheClientThatSent_data();
    void readsFromTheClientThatSent();
    void lateRestOfASplitBlockKeepsStep();
    void leavingIsReported_data();
    void leavingIsReported();
    void abortedConnectionIsInert();
    void survivesRunningOutOfDescriptors();

private:
    // Installed, it holds back every socket's notifications.
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::SockAct; }
    std::unique_ptr<RawClient> connectListed()
    {
        return ::connectListed(m_linked->server.serverPort(),
                               [this] { return m_linked->views.rows.size(); });
    }
    // What the client of a row receives when the operator sends it the bytes.
    QByteArray echo(int row, const QByteArray &bytes, RawClient &client)
    {
        m_linked->link.rowClient(row)->send(bytes);
        return client.receive(bytes.size());
    }

    std::unique_ptr<LinkedServer> m_linked;
};

void TestChatLink::rowsAreBoundToTheirClients()
{
    // The second client connects while the first one's confirmation is open; its own is
    // dismissed at once, so its row comes first.
    std::unique_ptr<RawClient> second;
    m_linked->views.onBoxShown = [&](int box) {
        if (box == 0)
            second = std::make_unique<RawClient>(m_linked->server.serverPort());
    };
    m_linked->views.dismissWhen = [&](int box) {
        return box == 1 || m_linked->views.rows.size() == 1;
    };
    RawClient first(m_linked->server.serverPort());
    QTRY_COMPARE(m_linked->views.rows, QStringList({u"127.0.0.1"_s, u"127.0.0.1"_s}));
    QCOMPARE(m_linked->views.notices, QStringList(2, u"connected: 127.0.0.1"_s));
    QCOMPARE(echo(0, "Mfor:second", *second), "Mfor:second"_ba);
    QCOMPARE(echo(1, "Mfor:first", first), "Mfor:first"_ba);

    // When a client in the middle leaves, its row goes and the rows after it move up.
    auto third = connectListed();
    QVERIFY(third);
    second->close();
    QTRY_COMPARE(m_linked->views.rows.size(), 2);
    QCOMPARE(echo(0, "Mto:first", first), "Mto:first"_ba);
    QCOMPARE(echo(1, "Mto:third", *third), "Mto:third"_ba);
    QVERIFY_THROWS_EXCEPTION(ListIndexError, m_linked->link.rowClient(2));
}

void TestChatLink::clientLeavingBeforeConfirmationGetsNoRow()
{
    auto leaver = std::make_unique<RawClient>(m_linked->server.serverPort());
    m_linked->views.onBoxShown = [&](int) { leaver->close(); };
    m_linked->views.dismissWhen = [&](int) { return m_linked->server.count() == 0; };
    QTRY_COMPARE(m_linked->views.notices.size(), 1);
    QTRY_COMPARE(m_linked->views.openBoxes, 0);
    QVERIFY(m_linked->views.rows.isEmpty());
    m_linked->views.dismissWhen = nullptr;
    auto next = connectListed();
    QVERIFY(next);
    QCOMPARE(echo(0, "Mhi", *next), "Mhi"_ba);
}

void TestChatLink::readsFromTheClientThatSent_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("chatLines");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("chat line") << filledBlock("Mkim:hello") << QStringList{u"kim:hello"_s}
                               << QStringList();
    QTest::newRow("message with CR LF")
        << filledBlock("Skim:a\r\nb") << QStringList() << QStringList{u"kim:a\r\nb"_s};
    QTest::newRow("lower-case tag") << filledBlock("mkim:hi") << QStringList() << QStringList();
    QTest::newRow("Hangul from code page 949") << filledBlock(toCp949(u"M김:안녕하세요"_s))
                                               << QStringList{u"김:안녕하세요"_s} << QStringList();
}

void TestChatLink::readsFromTheClientThatSent()
{
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, chatLines);
    QFETCH(QStringList, messages);
    auto selected = connectListed();
    auto sender = connectListed();
    QVERIFY(selected && sender);
    m_linked->views.selected = 0;
    // A text after it marks when it has been handled.
    sender->send(sent + filledBlock("Mmarker"));
    QTRY_VERIFY(m_linked->views.chatLines.contains(u"marker"_s));
    QCOMPARE(m_linked->views.chatLines, chatLines + QStringList{u"marker"_s});
    QCOMPARE(m_linked->views.messages, messages);
}

void TestChatLink::lateRestOfASplitBlockKeepsStep()
{
    auto client = connectListed();
    QVERIFY(client);
    // A segment lost inside a block's text comes again long after the settle time; the front
    // has been taken as a text of its own by then.
    const QByteArray split = filledBlock("Mkim:split here");
    client->send(split.first(9));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"kim:spli"_s});
    client->send(split.sliced(9) + filledBlock("Mkim:0") + filledBlock("Mkim:1"));
    QTRY_COMPARE(m_linked->views.chatLines, QStringList({u"kim:spli"_s, u"kim:0"_s, u"kim:1"_s}));
    // A rest readable when the settle falls due (its notification held back) is read first.
    QSignalSpy reads(m_linked->link.rowClient(0), &ClientConnection::readyRead);
    client->send(split.first(9));
    QVERIFY(reads.wait());
    client->send(split.sliced(9));
    qApp->installEventFilter(this);
    const auto release = qScopeGuard([this] { qApp->removeEventFilter(this); });
    QVERIFY(reads.wait());
    QCOMPARE(m_linked->views.chatLines.last(), u"kim:split here"_s);
}

void TestChatLink::leavingIsReported_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<QStringList>("errors");
    QTest::newRow("orderly close") << u"close"_s << QStringList() << QStringList();
    QTest::newRow("reset") << u"reset"_s << QStringList()
                           << QStringList{u"Socket error 104 (Connection reset by peer) on recv"_s};
    QTest::newRow("stops reading")
        << u"sleep"_s << QStringList{u"dropped: 127.0.0.1"_s} << QStringList();
}

void TestChatLink::leavingIsReported()
{
    QFETCH(QString, how);
    QFETCH(QStringList, notices);
    QFETCH(QStringList, errors);
    auto other = connectListed();
    RawClient leaver(m_linked->server.serverPort(), 4096);
    QTRY_COMPARE(m_linked->views.rows.size(), 2);
    // A vanished machine is noticed too, by keep-alive and the user timeout.
    const auto option = [fd = int(m_linked->link.rowClient(1)->descriptor())](int name) {
        int value = -1;
        socklen_t length = sizeof value;
        ::getsockopt(fd, IPPROTO_TCP, name, &value, &length);
        return value;
    };
    QCOMPARE(option(TCP_KEEPIDLE), socketio::kKeepAliveIdleSeconds);
    QCOMPARE(option(TCP_USER_TIMEOUT), socketio::kUserTimeoutMs);
    if (how == u"close") {
        leaver.close();
    } else if (how == u"reset") {
        leaver.reset();
    } else {
        // Its kernel buffers fill, then the send queue, which stays bounded; then it is dropped.
        QPointer<ClientConnection> connection = m_linked->link.rowClient(1);
        for (int sent = 0; connection && connection->isOpen() && sent < 100'000; ++sent) {
            connection->send(filledBlock("Mkim:are you there?"));
            QVERIFY(connection->queuedBytes() <= kSendQueueLimit);
        }
        QVERIFY(leaver.peerClosed());
    }
    QTRY_COMPARE(m_linked->views.rows.size(), 1);
    QCOMPARE(m_linked->views.notices.sliced(2), notices);
    QCOMPARE(m_linked->views.errors, errors);
    QCOMPARE(echo(0, "Mstill:here", *other), "Mstill:here"_ba);
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
    QCOMPARE(connection->send("Mkim:late"), -1);
    QVERIFY(client->peerClosed());
    const qsizetype notified = reads.size();
    QTest::qWait(4 * kTextSettleMs); // past the settle time nothing stirs
    QCOMPARE(reads.size(), notified);
    QVERIFY(m_linked->views.chatLines.isEmpty());
    QVERIFY(m_linked->views.errors.isEmpty());
}

void TestChatLink::survivesRunningOutOfDescriptors()
{
    QSignalSpy acceptErrors(&m_linked->server, &QTcpServer::acceptError);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < 12; ++i)
        clients.push_back(std::make_unique<RawClient>(m_linked->server.serverPort()));
    // Room for three more descriptors only.
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    const rlimit tight{rlim_t(lowestFree + 3), saved.rlim_max};
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &saved); });
    // Out of descriptors the server retries at its own pace instead of spinning: five more
    // failures take at least four retry delays.
    QVERIFY(acceptErrors.wait());
    QElapsedTimer clock;
    clock.start();
    const qsizetype failures = acceptErrors.count();
    QTRY_VERIFY(acceptErrors.count() >= failures + 5);
    QVERIFY(clock.elapsed() >= 4 * kAcceptRetryDelayMs * 9 / 10);
    QCOMPARE(m_linked->server.count(), 3);
    restore.dismiss();
    ::setrlimit(RLIMIT_NOFILE, &saved);
    QTRY_COMPARE(m_linked->views.rows.size(), 12);
}

QTEST_GUILESS_MAIN(TestChatLink)
#include "tst_chatlink.moc"
