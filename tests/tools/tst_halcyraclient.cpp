#include "chatlink/block.h"
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
    m_client->write("hello\n/s first\\nsecond\n" + QByteArray(120, 'x') + "\n안녕\n");
    QTRY_COMPARE(m_linked->views.chatLines, QStringList({u"김:hello"_s, u"김:안녕"_s}));
    QCOMPARE(m_linked->views.messages, QStringList{u"김:first\r\nsecond"_s});
    QVERIFY(QString::fromUtf8(m_client->readAllStandardError()).contains(u"not sent"_s));
}

void TestHalcyraClient::printsWhatTheServerSends()
{
    QVERIFY(startClient({}));
    // Read by the server's rules: an unfilled text and the front of the block after it are one
    // text, and the blocks after that keep their step.
    m_linked->link.rowClient(0)->send("Mkim:\xBE\xC8"_ba + filledBlock("Mkim:x") +
                                      filledBlock("Slee:a\r\nb") + filledBlock("M3"));
    QCOMPARE(waitForOutputLine(), u"M kim:안Mkim:x"_s);
    QCOMPARE(waitForOutputLine(), u"S lee:a\r"_s);
    QCOMPARE(waitForOutputLine(), u"b"_s);
    QCOMPARE(waitForOutputLine(), u"M 3"_s);
    m_linked->link.rowClient(0)->send("Mkim:last"_ba); // without zero fill, once settled
    QCOMPARE(waitForOutputLine(), u"M kim:last"_s);
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
