#include "chatlink/block.h"
#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "fakeviews.h"
#include "linkedserver.h"
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
    void readsUnfilledTextAndBlocksInStep();
    void refusesLinesTooLongForABlock();
    void reportsRefusedConnection();

private:
    // Starts the client and waits until the server lists it.
    bool startClient(const QStringList &arguments);
    QString waitForOutputLine();

    std::unique_ptr<LinkedServer> m_linked;
    std::unique_ptr<QProcess> m_client;
};

void TestHalcyraClient::init()
{
    m_linked = std::make_unique<LinkedServer>();
    QVERIFY(m_linked->server.isListening());
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
    m_linked.reset();
}

bool TestHalcyraClient::startClient(const QStringList &arguments)
{
    m_client->setArguments(
        arguments + QStringList{u"127.0.0.1"_s, QString::number(m_linked->server.serverPort())});
    m_client->start();
    return QTest::qWaitFor([&] { return !m_linked->views.rows.isEmpty(); });
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
    QTRY_COMPARE(m_linked->views.chatLines.size(), 2);
    QCOMPARE(m_linked->views.chatLines, QStringList({u"김:hello"_s, u"김:안녕"_s}));
    QCOMPARE(m_linked->views.messages, QStringList{u"김:first\r\nsecond"_s});
}

void TestHalcyraClient::printsWhatTheServerSends()
{
    QVERIFY(startClient({}));
    ClientConnection *connection = m_linked->link.rowClient(0);
    connection->send(filledBlock("Mkim:hi"));
    QCOMPARE(waitForOutputLine(), u"M kim:hi"_s);
    connection->send("Skim:\xBE\xC8\xB3\xE7"_ba); // code page 949, without zero fill
    QCOMPARE(waitForOutputLine(), u"S kim:안녕"_s);
    connection->send(filledBlock("Slee:a\r\nb"));
    QCOMPARE(waitForOutputLine(), u"S lee:a\r"_s);
    QCOMPARE(waitForOutputLine(), u"b"_s);
}

void TestHalcyraClient::readsUnfilledTextAndBlocksInStep()
{
    QVERIFY(startClient({}));
    // An unfilled text and the front of the block after it are one text; the blocks after
    // that keep their step.
    m_linked->link.rowClient(0)->send("Mkim:hi"_ba + filledBlock("Mkim:x") + filledBlock("M1") +
                                      filledBlock("S2") + filledBlock("M3"));
    QCOMPARE(waitForOutputLine(), u"M kim:hiMkim:x"_s);
    QCOMPARE(waitForOutputLine(), u"M 1"_s);
    QCOMPARE(waitForOutputLine(), u"S 2"_s);
    QCOMPARE(waitForOutputLine(), u"M 3"_s);
}

void TestHalcyraClient::refusesLinesTooLongForABlock()
{
    QVERIFY(startClient({u"--nick"_s, u"kim"_s}));
    m_client->write(QByteArray(120, 'x') + "\nshort\n");
    QTRY_COMPARE(m_linked->views.chatLines, QStringList{u"kim:short"_s});
    QVERIFY(QString::fromUtf8(m_client->readAllStandardError()).contains(u"not sent"_s));
}

void TestHalcyraClient::reportsRefusedConnection()
{
    const quint16 port = m_linked->server.serverPort();
    m_linked->server.close();
    m_client->setArguments({u"127.0.0.1"_s, QString::number(port)});
    m_client->start();
    QVERIFY(m_client->waitForFinished());
    QCOMPARE(m_client->exitCode(), 1);
    QVERIFY(QString::fromUtf8(m_client->readAllStandardError()).contains(u"refused"_s));
}

QTEST_GUILESS_MAIN(TestHalcyraClient)
#include "tst_halcyraclient.moc"
