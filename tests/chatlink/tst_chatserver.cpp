#include "chatlink/block.h"
#include "chatlink/chatserver.h"
#include "chatlink/clientconnection.h"
#include "chatlink/errors.h"
#include "rawclient.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <arpa/inet.h>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace chatlink;
using namespace Qt::StringLiterals;

namespace {

quint16 peerPort(const ClientConnection *connection)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getpeername(int(connection->descriptor()), reinterpret_cast<sockaddr *>(&address), &length);
    return ntohs(address.sin_port);
}

int intOption(qintptr fd, int level, int name)
{
    int value = -1;
    socklen_t length = sizeof value;
    ::getsockopt(int(fd), level, name, &value, &length);
    return value;
}

} // namespace

class TestChatServer : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void registryKeepsAcceptOrder();
    void lookupOutsideRegistryThrowsListIndexError();
    void acceptedConnectionsUseKeepAlive();

    void unreadDataRaisesNoFurtherNotification();
    void readLeavingDataRaisesAnother();
    void receiveWithNothingWaitingLeavesBufferAlone();

    void orderlyCloseLeavesSilently();
    void resetIsReportedAfterLeaving();

    void sendsWholeBlocks();
    void sendQueueIsBoundedAndOverflowDropsTheClient();
    void sendAfterCloseIsRefused();

    void survivesRunningOutOfDescriptors();
    void reportsPortInUse();

private:
    // Waits for a new connection from a client made by connect().
    ClientConnection *accept(RawClient &client);
    // A notification from another connection proves the loop has polled past any pending ones.
    void barrier();

    std::unique_ptr<ChatServer> m_server;
};

void TestChatServer::init()
{
    m_server = std::make_unique<ChatServer>(0);
    QVERIFY(m_server->start());
    QVERIFY(m_server->isListening());
}

void TestChatServer::cleanup()
{
    m_server.reset();
}

ClientConnection *TestChatServer::accept(RawClient &client)
{
    if (!client.isValid())
        return nullptr;
    const quint16 port = client.localPort();
    ClientConnection *found = nullptr;
    const bool accepted = QTest::qWaitFor([&] {
        for (ClientConnection *c : m_server->connections())
            if (peerPort(c) == port)
                found = c;
        return found != nullptr;
    });
    return accepted ? found : nullptr;
}

void TestChatServer::barrier()
{
    RawClient sentinel(m_server->serverPort());
    ClientConnection *connection = accept(sentinel);
    QVERIFY(connection);
    QSignalSpy spy(connection, &ClientConnection::readyRead);
    sentinel.send("x");
    QVERIFY(spy.wait());
    QCoreApplication::processEvents();
}

void TestChatServer::registryKeepsAcceptOrder()
{
    QSignalSpy connected(m_server.get(), &ChatServer::clientConnected);
    RawClient a(m_server->serverPort()), b(m_server->serverPort()), c(m_server->serverPort());
    QTRY_COMPARE(connected.count(), 3);
    QCOMPARE(m_server->count(), 3);
    QCOMPARE(peerPort(m_server->connection(0)), a.localPort());
    QCOMPARE(peerPort(m_server->connection(1)), b.localPort());
    QCOMPARE(peerPort(m_server->connection(2)), c.localPort());
    // Raised with the connection already last in the registry.
    QCOMPARE(connected.at(2).at(0).value<ClientConnection *>(), m_server->connection(2));
    QCOMPARE(m_server->connection(0)->remoteAddress(), u"127.0.0.1"_s);
}

void TestChatServer::lookupOutsideRegistryThrowsListIndexError()
{
    try {
        m_server->connection(-1);
        QFAIL("no exception for -1");
    } catch (const ListIndexError &e) {
        QCOMPARE(e.text(), u"List index out of bounds (-1)"_s);
    }
    RawClient a(m_server->serverPort());
    QVERIFY(accept(a));
    QVERIFY(m_server->connection(0));
    QVERIFY_THROWS_EXCEPTION(ListIndexError, m_server->connection(1));
}

void TestChatServer::acceptedConnectionsUseKeepAlive()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    const qintptr fd = connection->descriptor();
    QCOMPARE(intOption(fd, SOL_SOCKET, SO_KEEPALIVE), 1);
    QCOMPARE(intOption(fd, IPPROTO_TCP, TCP_KEEPIDLE), kKeepAliveIdleSeconds);
    QCOMPARE(intOption(fd, IPPROTO_TCP, TCP_KEEPINTVL), kKeepAliveIntervalSeconds);
    QCOMPARE(intOption(fd, IPPROTO_TCP, TCP_KEEPCNT), kKeepAliveProbes);
    // Keep-alive probes wait while sent data is unacknowledged; the user timeout does not.
    QCOMPARE(intOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT), 120'000);
    // A vanished client is noticed within about two minutes.
    QVERIFY(kKeepAliveIdleSeconds + kKeepAliveIntervalSeconds * kKeepAliveProbes <= 120);
}

void TestChatServer::unreadDataRaisesNoFurtherNotification()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    QSignalSpy reads(m_server.get(), &ChatServer::clientRead);
    a.send(filledBlock("Mkim:one"));
    QVERIFY(reads.wait());
    a.send(filledBlock("Mkim:two"));
    barrier();
    const auto fromA = std::count_if(reads.begin(), reads.end(), [&](const QList<QVariant> &args) {
        return args.at(0).value<ClientConnection *>() == connection;
    });
    QCOMPARE(fromA, 1);

    // The data is still there for the next read, which re-arms the notification.
    Block buffer{};
    QCOMPARE(connection->receive(buffer.data(), kBlockSize), kBlockSize);
    QCOMPARE(readBlock(buffer).toByteArray(), "Mkim:one"_ba);
    QSignalSpy again(connection, &ClientConnection::readyRead);
    QVERIFY(again.wait());
}

void TestChatServer::readLeavingDataRaisesAnother()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    QList<QByteArray> texts;
    connect(connection, &ClientConnection::readyRead, this, [&](ClientConnection *c) {
        Block buffer{};
        c->receive(buffer.data(), kBlockSize);
        texts.append(readBlock(buffer).toByteArray());
    });
    QSignalSpy reads(connection, &ClientConnection::readyRead);
    a.send(filledBlock("Mkim:one") + filledBlock("Mkim:two"));
    QTRY_COMPARE(texts.size(), 2);
    QCOMPARE(texts, QList<QByteArray>({"Mkim:one"_ba, "Mkim:two"_ba}));
    // The read that emptied the socket raised none.
    barrier();
    QCOMPARE(reads.count(), 2);
}

void TestChatServer::receiveWithNothingWaitingLeavesBufferAlone()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    Block buffer{};
    QCOMPARE(connection->receive(buffer.data(), kBlockSize), 0);
    QCOMPARE(readBlock(buffer).toByteArray(), QByteArray());
    QVERIFY(connection->isOpen());
}

void TestChatServer::orderlyCloseLeavesSilently()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    connect(m_server.get(), &ChatServer::clientRead, this, [](ClientConnection *c) {
        Block buffer{};
        c->receive(buffer.data(), kBlockSize);
    });
    QSignalSpy left(m_server.get(), &ChatServer::clientDisconnected);
    QSignalSpy errors(m_server.get(), &ChatServer::clientError);
    a.close();
    QVERIFY(left.wait());
    QCOMPARE(left.at(0).at(0).value<ClientConnection *>(), connection);
    QCOMPARE(m_server->count(), 0);
    QCOMPARE(errors.count(), 0);
}

void TestChatServer::resetIsReportedAfterLeaving()
{
    RawClient a(m_server->serverPort());
    RawClient b(m_server->serverPort());
    QVERIFY(accept(a));
    ClientConnection *other = accept(b);
    QVERIFY(other);
    connect(m_server.get(), &ChatServer::clientRead, this, [](ClientConnection *c) {
        Block buffer{};
        c->receive(buffer.data(), kBlockSize);
    });
    qsizetype countAtError = -1;
    connect(m_server.get(), &ChatServer::clientError, this,
            [&] { countAtError = m_server->count(); });
    QSignalSpy errors(m_server.get(), &ChatServer::clientError);
    a.reset();
    QVERIFY(errors.wait());
    QCOMPARE(errors.at(0).at(1).toInt(), ECONNRESET);
    QVERIFY(errors.at(0).at(2).toString().contains(u"Connection reset by peer"_s));
    QCOMPARE(countAtError, 1);
    QCOMPARE(m_server->connection(0), other);
}

void TestChatServer::sendsWholeBlocks()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    QCOMPARE(connection->send(filledBlock("Mkim:hello")), kBlockSize);
    QCOMPARE(connection->send("Mkim:raw"), 8);
    QCOMPARE(a.receive(108), filledBlock("Mkim:hello") + "Mkim:raw"_ba);
}

void TestChatServer::sendQueueIsBoundedAndOverflowDropsTheClient()
{
    RawClient sleeper(m_server->serverPort(), 4096);
    RawClient reader(m_server->serverPort());
    ClientConnection *stuck = accept(sleeper);
    ClientConnection *healthy = accept(reader);
    QVERIFY(stuck && healthy);
    QSignalSpy errors(m_server.get(), &ChatServer::clientError);
    QSignalSpy dropped(m_server.get(), &ChatServer::clientDropped);

    const QByteArray block = filledBlock("Mkim:are you there?");
    qsizetype sent = 0;
    qsizetype largestQueue = 0;
    // The client never reads: its kernel buffers fill, then our queue, then it is dropped.
    while (stuck->isOpen() && sent < 100'000) {
        stuck->send(block);
        largestQueue = qMax(largestQueue, stuck->queuedBytes());
        ++sent;
    }
    QVERIFY2(!stuck->isOpen(), "a client that never reads was never dropped");
    QVERIFY(largestQueue > kSendQueueLimit - kBlockSize);
    QVERIFY(largestQueue <= kSendQueueLimit);
    QVERIFY(dropped.wait());
    QCOMPARE(errors.count(), 0);
    QCOMPARE(m_server->count(), 1);
    QVERIFY(sleeper.peerClosed());

    QCOMPARE(healthy->send(block), kBlockSize);
    QCOMPARE(reader.receive(kBlockSize), block);
}

void TestChatServer::sendAfterCloseIsRefused()
{
    RawClient a(m_server->serverPort());
    ClientConnection *connection = accept(a);
    QVERIFY(connection);
    connection->abort();
    QCOMPARE(connection->send(filledBlock("Mkim:late")), -1);
    QVERIFY(a.peerClosed());
}

void TestChatServer::survivesRunningOutOfDescriptors()
{
    constexpr int kClients = 12;
    constexpr int kAcceptable = 3;
    QSignalSpy connected(m_server.get(), &ChatServer::clientConnected);
    QSignalSpy acceptErrors(m_server.get(), &QTcpServer::acceptError);
    std::vector<std::unique_ptr<RawClient>> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.push_back(std::make_unique<RawClient>(m_server->serverPort()));
        QVERIFY(clients.back()->isValid());
    }

    // Leave room for exactly kAcceptable more descriptors.
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit saved{};
    ::getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(lowestFree + kAcceptable);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &saved); });

    QVERIFY(acceptErrors.wait());
    QCOMPARE(connected.count(), kAcceptable);
    // While no descriptor is free the server retries at its own pace instead of spinning on the
    // waiting connections: five more failures take at least four retry delays.
    QElapsedTimer clock;
    clock.start();
    const qsizetype failures = acceptErrors.count();
    QTRY_VERIFY(acceptErrors.count() >= failures + 5);
    QVERIFY(clock.elapsed() >= 4 * kAcceptRetryDelayMs * 9 / 10);
    QCOMPARE(connected.count(), kAcceptable);

    // Descriptors come free: every waiting client is accepted.
    ::setrlimit(RLIMIT_NOFILE, &saved);
    restore.dismiss();
    QTRY_COMPARE(connected.count(), kClients);
    QCOMPARE(m_server->count(), kClients);
}

void TestChatServer::reportsPortInUse()
{
    ChatServer second(m_server->serverPort());
    QVERIFY(!second.start());
    QVERIFY(!second.isListening());
    QVERIFY(!second.errorString().isEmpty());
}

QTEST_GUILESS_MAIN(TestChatServer)
#include "tst_chatserver.moc"
