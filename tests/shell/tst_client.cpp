// The real halcyra-client against a server socket: exactly what it prints and what it sends.

#include <QCoreApplication>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestClient : public QObject
{
    Q_OBJECT

private slots:
    void heldTextAtClose() { exchange({}, "", "Mhi", "M hi\n", ""); }
    void eucKrTerminal() // "한글" typed, "안녕" received: EUC-KR on the terminal
    {
#ifdef Q_OS_WIN
        QSKIP("Linux's locales");
#endif
        const QStringList define{u"-iko_KR"_s, u"-fEUC-KR"_s, m_dir.filePath(u"ko"_s)};
        QCOMPARE(QProcess::execute(u"localedef"_s, define), 0);
        exchange({u"LOCPATH="_s + m_dir.path(), u"LC_ALL=ko"_s}, "\xc7\xd1\xb1\xdb\n",
                 "M\xbe\xc8\xb3\xe7"_ba + QByteArray(95, '\0'), "M \xbe\xc8\xb3\xe7\n",
                 "Mk:\xc7\xd1\xb1\xdb"_ba + QByteArray(93, '\0'));
    }

private:
    // The client runs under env's arguments, its input in a pipe left open; the server sends
    // fromServer, takes toServer and closes.
    void exchange(const QStringList &env, const QByteArray &input, const QByteArray &fromServer,
                  const QByteArray &printed, const QByteArray &toServer)
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QProcess client;
        client.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QStringList arguments{u"--nick"_s, u"k"_s, u"127.0.0.1"_s,
                                    QString::number(server.serverPort())};
#ifdef Q_OS_WIN
        // Beside the test's build folder, found from where the test runs: Wine has paths of its
        // own.
        client.start(QCoreApplication::applicationDirPath() + u"/halcyra-client.exe"_s, arguments);
#else
        client.start(u"env"_s, env + QStringList{QStringLiteral(HALCYRA_CLIENT)} + arguments);
#endif
        QVERIFY2(client.waitForStarted(), qPrintable(client.errorString()));
        client.write(input);
        QVERIFY(server.waitForNewConnection(10000));
        QTcpSocket *peer = server.nextPendingConnection();
        peer->write(fromServer);
        peer->flush();
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += peer->readAll(), toServer, 10000);
        peer->disconnectFromHost();
        QVERIFY(client.waitForFinished(10000) || client.state() == QProcess::NotRunning);
        QByteArray output = client.readAllStandardOutput();
#ifdef Q_OS_WIN
        output.replace("\r\n", "\n"); // a Windows console's line ends
#endif
        QCOMPARE(output, printed);
        QCOMPARE(client.exitCode(), 0);
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestClient)
#include "tst_client.moc"
