// The Windows build's halcyra-server.exe under Wine on a virtual display, and the Linux
// halcyra-client on loopback: the confirmation box, a Hangul chat line in the chat log, and a
// Direct line back to a client, byte for byte. Screen positions are the console's own: its frame
// at 196, 67.

#include "desktop.h"

#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

class TestWineServer : public QObject
{
    Q_OBJECT

private slots:
    void serverUnderWine()
    {
        QVERIFY2(QTcpServer().listen(QHostAddress::AnyIPv4, 5000), "port 5000 is taken here");
        QProcess server; // killed when the test fails
        server.setProcessChannelMode(QProcess::ForwardedChannels);
        server.start(QStringLiteral(WINE_RUN), {QStringLiteral(HALCYRA_WINDOWS_SERVER)});

        // Wine may first make its prefix. The client that tries until the server accepts gets
        // the confirmation box, and leaves once it is dismissed.
        QTcpSocket first;
        QVERIFY(QTest::qWaitFor(
            [&] {
                first.abort();
                first.connectToHost(u"127.0.0.1"_s, 5000);
                return first.waitForConnected(500);
            },
            120000));
        QVERIFY(dismissBox());
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        first.disconnectFromHost();

        // A Hangul chat line from the Linux command-line client, in the chat log.
        QProcess client;
        client.start(QStringLiteral(HALCYRA_CLIENT), {u"--nick"_s, u"kim"_s});
        QVERIFY(dismissBox());
        client.write("hello 안녕하세요\n");
        QTRY_VERIFY_WITH_TIMEOUT(copyText(295, 181).contains(u"kim:hello 안녕하세요"_s), 10000);

        // A second client, picked in the list (its row is the second) and sent a Direct line: it
        // gets the block as the Linux server would send it.
        QTcpSocket direct;
        direct.connectToHost(u"127.0.0.1"_s, 5000);
        QVERIFY(direct.waitForConnected(5000));
        QVERIFY(dismissBox());
        xdotool(u"mousemove 250 392 click 1"_s);           // the client list's second row
        xdotool(u"mousemove 245 331 click 1"_s);           // "Direct"
        xdotool(u"mousemove 272 285 click 1 type back"_s); // the chat entry
        xdotool(u"mousemove 373 288 click 1"_s);           // "Send"
        QTRY_COMPARE_WITH_TIMEOUT(direct.bytesAvailable(), 100, 10000);
        QCOMPARE(direct.readAll(), "MNick  Name:back"_ba.leftJustified(100, '\0'));

        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(10000));
    }
};

QTEST_MAIN(TestWineServer)
#include "tst_wineserver.moc"
