// The real halcyra-client against a server socket: exactly what it prints and what it sends.

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

class TestClient : public QObject
{
    Q_OBJECT

private slots:
    // A typed line goes out as a block; a text the server leaves unfilled as it closes is printed.
    void exchange()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QProcess client;
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef Q_OS_WIN
        // Beside the test's build folder, found from where the test runs: Wine has paths of its
        // own.
        const QString program = QCoreApplication::applicationDirPath() + u"/halcyra-client.exe"_s;
#else
        const QString program = QStringLiteral(HALCYRA_CLIENT);
#endif
        client.start(program,
                     {u"--nick"_s, u"k"_s, u"127.0.0.1"_s, QString::number(server.serverPort())});
        QVERIFY2(client.waitForStarted(), qPrintable(client.errorString()));
        client.write("hi\n");
        QVERIFY(server.waitForNewConnection(10000));
        QTcpSocket *peer = server.nextPendingConnection();
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += peer->readAll(), "Mk:hi"_ba.leftJustified(100, '\0'),
                                  10000);
        peer->write("Mhi");
        peer->flush();
        peer->disconnectFromHost();
        QVERIFY(client.waitForFinished(10000) || client.state() == QProcess::NotRunning);
        QByteArray output = client.readAllStandardOutput();
#ifdef Q_OS_WIN
        output.replace("\r\n", "\n"); // a Windows console's line ends
#endif
        QCOMPARE(output, "M hi\n"_ba);
        QCOMPARE(client.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestClient)
#include "tst_client.moc"
