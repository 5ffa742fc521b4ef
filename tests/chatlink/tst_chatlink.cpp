// The server and the chat link over real loopback sockets, with recording views.

#include "chatlink/block.h"
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
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace chatlink;
using namespace Qt::StringLiterals;

class TestChatLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void rowsAreBoundToTheirClients();
    void clientLeavingBeforeConfirmationGetsNoRow();
    void rowLeavesWithItsConnection();
    void readsFromTheClientThatSent();
    void routesReceivedTexts_data();
    void routesReceivedTexts();
    void unreadDataRaisesNoFurtherNotification();
    void lateRestOfASplitBlockKeepsStep();
    void leavingIsReported_data();
    void leavingIsReported();
    void abortedConnectionIsInert();
    void filtersNetworkSetupErrors();
    void acceptedSocketsNoticeVanishedClients();
    void survivesRunningOutOfDescriptors();

private:
    std::unique_ptr<RawClient> connectListed();
    QByteArray sendAndReceive(int row, const QByteArray &bytes, RawClient &client);

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

QByteArray TestChatLink::sendAndReceive(int row, const QByteArray &bytes, RawClient &client)
{
    m_linked->link.rowClient(row)->send(bytes);
    return client.receive(bytes.size());
}

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
    QCOMPARE(m_linked->views.notices,
             QStringList({u"connected: 127.0.0.1"_s, u"connected: 127.0.0.1"_s}));
    QCOMPARE(sendAndReceive(0, "Mfor:second", *second), "Mfor:second"_ba);
    QCOMPARE(sendAndReceive(1, "Mfor:first", first), "Mfor:first"_ba);
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
    QCOMPARE(sendAndReceive(0, "Mhi", *next), "Mhi"_ba);
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
    QCOMPARE(m_linked->link.selectedClient(), m_linked->link.rowClient(1));
    QCOMPARE(sendAndReceive(0, "Mto:a", *a), "Mto:a"_ba);
    QCOMPARE(sendAndReceive(1, "Mto:c", *c), "Mto:c"_ba);
    QVERIFY_THROWS_EXCEPTION(ListIndexError, m_linked->link.rowClient(2));
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
    QTRY_COMPARE(m_linked->views.chatLines, QStringList({u"lee:from b"_s, u"kim:from a"_s}));
}

void TestChatLink::routesReceivedTexts_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("chatLines");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("chat line") << filledBlock("Mkim:hello") << QStringList{u"kim:hello"_s}
                               << QStringList();
    QTest::newRow("message with CR LF")
        << filledBlock("Skim:a\r\nb") << QStringList() << QStringList{u"kim:a\r\nb"_s};
    QTest::newRow("S alone") << filledBlock("S") << QStringList() << QStringList{QString()};
    QTest::newRow("lower-case tag ignored")
        << filledBlock("mkim:hi") << QStringList() << QStringList();
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
    // A text after it marks when it has been handled.
    client->send(sent + filledBlock("Mmarker"));
    QTRY_VERIFY(m_linked->views.chatLines.contains(u"marker"_s));
    QCOMPARE(m_linked->views.chatLines, chatLines + QStringList{u"marker"_s});
    QCOMPARE(m_linked->views.messages, messages);
}

void TestChatLink::unreadDataRaisesNoFurtherNotification()
{
    // Without the chat link reading, a connection's data stays waiting and raises no notice
    // again until it is read.
    ChatServer server(0);
    QVERIFY(server.start());
    QSignalSpy reads(&server, &ChatServer::clientRead);
    RawClient a(server.serverPort());
    RawClient b(server.serverPort());
    QTRY_COMPARE(server.count(), 2);
    a.send(filledBlock("Mkim:one"));
    QVERIFY(reads.wait());
    a.send(filledBlock("Mkim:two"));
    b.send("x"); // once b's notice is in, the loop has polled a again
    QTRY_VERIFY(reads.size() >= 2);
    QCoreApplication::processEvents();
    QCOMPARE(reads.size(), 2);
    QCOMPARE(server.connection(0)->receiveText()->toByteArray(), "Mkim:one"_ba);
    QVERIFY(reads.wait()); // the read left data waiting
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
}

void TestChatLink::leavingIsReported_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("notices");
    QTest::addColumn<QString>("error");
    QTest::newRow("orderly close") << u"close"_s << QStringList() << QString();
    QTest::newRow("reset") << u"reset"_s << QStringList()
                           << u"Socket error 104 (Connection reset by peer) on recv"_s;
    QTest::newRow("stops reading")
        << u"sleep"_s << QStringList{u"dropped: 127.0.0.1"_s} << QString();
}

void TestChatLink::leavingIsReported()
{
    QFETCH(QString, how);
    QFETCH(QStringList, notices);
    QFETCH(QString, error);
    auto other = connectListed();
    auto leaver = std::make_unique<RawClient>(m_linked->server.serverPort(), 4096);
    QTRY_COMPARE(m_linked->views.rows.size(), 2);
    if (how == u"close") {
        leaver->close();
    } else if (how == u"reset") {
        leaver->reset();
    } else {
        // Its kernel buffers fill, then the send queue, which stays bounded; then it is dropped.
        QPointer<ClientConnection> connection = m_linked->link.rowClient(1);
        for (int sent = 0; connection && connection->isOpen() && sent < 100'000; ++sent) {
            connection->send(filledBlock("Mkim:are you there?"));
            QVERIFY(connection->queuedBytes() <= kSendQueueLimit);
        }
        QVERIFY(leaver->peerClosed());
    }
    QTRY_COMPARE(m_linked->views.rows.size(), 1);
    QCOMPARE(m_linked->views.notices.sliced(2), notices);
    QCOMPARE(m_linked->views.errors, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(sendAndReceive(0, "Mstill:here", *other), "Mstill:here"_ba);
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
    QTest::qWait(4 * kTextSettleMs);
    QVERIFY(m_linked->views.chatLines.isEmpty());
    QVERIFY(m_linked->views.errors.isEmpty());
}

void TestChatLink::filtersNetworkSetupErrors()
{
    for (const int code : {ENOBUFS, ENETUNREACH, EISCONN, ECONNREFUSED, ECONNRESET, ETIMEDOUT})
        m_linked->link.clientError(nullptr, code, u"text %1"_s.arg(code));
    QCOMPARE(m_linked->views.notices, QStringList(4, u"network setup"_s));
    QCOMPARE(m_linked->views.errors,
             QStringList({u"text %1"_s.arg(ECONNRESET), u"text %1"_s.arg(ETIMEDOUT)}));
}

void TestChatLink::acceptedSocketsNoticeVanishedClients()
{
    auto client = connectListed();
    QVERIFY(client);
    const int fd = int(m_linked->link.rowClient(0)->descriptor());
    const auto option = [fd](int level, int name) {
        int value = -1;
        socklen_t length = sizeof value;
        ::getsockopt(fd, level, name, &value, &length);
        return value;
    };
    QCOMPARE(option(SOL_SOCKET, SO_KEEPALIVE), 1);
    QCOMPARE(option(IPPROTO_TCP, TCP_KEEPIDLE), socketio::kKeepAliveIdleSeconds);
    QCOMPARE(option(IPPROTO_TCP, TCP_USER_TIMEOUT), socketio::kUserTimeoutMs);
}

void TestChatLink::survivesRunningOutOfDescriptors()
{
    constexpr int kClients = 12;
    constexpr int kAcceptable = 3;
    ChatServer &server = m_linked->server;
    m_linked->views.dismissWhen = nullptr;
    QSignalSpy acceptErrors(&server, &QTcpServer::acceptError);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kClients; ++i)
        clients.push_back(std::make_unique<RawClient>(server.serverPort()));

    // Room for exactly kAcceptable more descriptors.
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree + kAcceptable);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &saved); });

    QVERIFY(acceptErrors.wait());
    // Out of descriptors the server retries at its own pace instead of spinning: five more
    // failures take at least four retry delays.
    QElapsedTimer clock;
    clock.start();
    const qsizetype failures = acceptErrors.count();
    QTRY_VERIFY(acceptErrors.count() >= failures + 5);
    QVERIFY(clock.elapsed() >= 4 * kAcceptRetryDelayMs * 9 / 10);
    QCOMPARE(server.count(), kAcceptable);

    ::setrlimit(RLIMIT_NOFILE, &saved);
    restore.dismiss();
    QTRY_COMPARE(m_linked->views.rows.size(), kClients);
}

QTEST_GUILESS_MAIN(TestChatLink)
#include "tst_chatlink.moc"
