#include "chatlink/block.h"
#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "fakeviews.h"
#include "rawclient.h"

#include <QProcess>
#include <QTest>
#include <memory>

using namespace chatlink;
using namespace Qt::StringLiterals;

// Runs the real halcyra-client against a server in this process.
class TestHalcyraClient : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendsLinesAndMessagesAsBlocks();
    void printsWhatTheServerSends();
    void refusesLinesTooLongForABlock();
    void reportsRefusedConnection();

private:
    // Starts the client and waits until the server lists it.
    bool startClient(const QStringList &arguments);
    QString waitForOutputLine();

    std::unique_ptr<ChatServer> m_server;
    std::unique_ptr<FakeViews> m_views;
    std::unique_ptr<ChatLink> m_link;
    std::unique_ptr<QProcess> m_client;
};

void TestHalcyraClient::init()
{
    m_server = std::make_unique<ChatServer>(0);
    m_views = std::make_unique<FakeViews>();
    m_link = std::make_unique<ChatLink>(*m_server, *m_views, *m_views, *m_views);
    connect(m_server.get(), &ChatServer::clientConnected, m_link.get(), &ChatLink::clientConnected);
    connect(m_server.get(), &ChatServer::clientRead, m_link.get(), &ChatLink::clientRead);
    QVERIFY(m_server->start());
    m_client = std::make_unique<QProcess>();
    m_client->setProgram(QStringLiteral(HALCYRA_CLIENT));
}

void TestHalcyraClient::cleanup()
{
    if (m_client->state() != QProcess::NotRunning) {
        m_client->kill();
        m_client->waitForFinished();
    }
    m_client.reset();
    m_link.reset();
    m_server.reset();
    m_views.reset();
}

bool TestHalcyraClient::startClient(const QStringList &arguments)
{
    m_client->setArguments(arguments +
                           QStringList{u"127.0.0.1"_s, QString::number(m_server->serverPort())});
    m_client->start();
    return QTest::qWaitFor([&] { return !m_views->rows.isEmpty(); });
}

QString TestHalcyraClient::waitForOutputLine()
{
    if (!QTest::qWaitFor([&] { return m_client->canReadLine(); }))
        return {};
    return QString::fromUtf8(m_client->readLine()).chopped(1);
}

void TestHalcyraClient::sendsLinesAndMessagesAsBlocks()
{
    QVERIFY(startClient({u"--nick"_s, u"김"_s}));
    m_client->write("hello\n/s first\\nsecond\n\xEC\x95\x88\xEB\x85\x95\n");
    QTRY_COMPARE(m_views->chatLines.size(), 2);
    QCOMPARE(m_views->chatLines, QStringList({u"김:hello"_s, u"김:안녕"_s}));
    QCOMPARE(m_views->messages, QStringList{u"김:first\r\nsecond"_s});
}

void TestHalcyraClient::printsWhatTheServerSends()
{
    QVERIFY(startClient({}));
    ClientConnection *connection = m_link->rowClient(0);
    connection->send(filledBlock("Mkim:hi"));
    QCOMPARE(waitForOutputLine(), u"M kim:hi"_s);
    connection->send("Skim:\xBE\xC8\xB3\xE7"_ba); // code page 949, without zero fill
    QCOMPARE(waitForOutputLine(), u"S kim:안녕"_s);
    connection->send(filledBlock("Slee:a\r\nb"));
    QCOMPARE(waitForOutputLine(), u"S lee:a\r"_s);
    QCOMPARE(waitForOutputLine(), u"b"_s);
}

void TestHalcyraClient::refusesLinesTooLongForABlock()
{
    QVERIFY(startClient({u"--nick"_s, u"kim"_s}));
    m_client->write(QByteArray(120, 'x') + "\nshort\n");
    QTRY_COMPARE(m_views->chatLines, QStringList{u"kim:short"_s});
    QVERIFY(QString::fromUtf8(m_client->readAllStandardError()).contains(u"not sent"_s));
}

void TestHalcyraClient::reportsRefusedConnection()
{
    const quint16 port = m_server->serverPort();
    m_server->close();
    m_client->setArguments({u"127.0.0.1"_s, QString::number(port)});
    m_client->start();
    QVERIFY(m_client->waitForFinished());
    QCOMPARE(m_client->exitCode(), 1);
    QVERIFY(QString::fromUtf8(m_client->readAllStandardError()).contains(u"refused"_s));
}

QTEST_GUILESS_MAIN(TestHalcyraClient)
#include "tst_halcyraclient.moc"
