// The Windows build's halcyra-server.exe under Wine on a virtual display, and the Linux
// halcyra-client on loopback: the confirmation box, a Hangul chat line in the chat log, and a
// Direct line back to a client, byte for byte. Wine draws the frame itself: places are taken from
// the console's client area.

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
        // The Windows Qt has its own platform, not this test's X11 one.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_QPA_PLATFORM"_s);
        server.setProcessEnvironment(environment);
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
        QVERIFY(dismissBox(true));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        first.disconnectFromHost();
        // A point of the console, given as on Linux, where its client area is at 196, 67.
        const QPoint console = windowOrigin(visibleWindow(u"Halcyra  Server"_s));
        const auto at = [&](int x, int y) {
            return u"mousemove %1 %2 click 1"_s.arg(console.x() + x - 196)
                .arg(console.y() + y - 67);
        };

        // A Hangul chat line from the Linux command-line client, in the chat log.
        QProcess client;
        client.start(QStringLiteral(HALCYRA_CLIENT), {u"--nick"_s, u"kim"_s});
        QVERIFY(dismissBox(true));
        client.write("hello 안녕하세요\n");
        QTRY_VERIFY_WITH_TIMEOUT(copyText(console.x() + 295 - 196, console.y() + 181 - 67)
                                     .contains(u"kim:hello 안녕하세요"_s),
                                 10000);

        // A second client, picked in the list (its row is the second) and sent a Direct line: it
        // gets the block as the Linux server would send it.
        QTcpSocket direct;
        direct.connectToHost(u"127.0.0.1"_s, 5000);
        QVERIFY(direct.waitForConnected(5000));
        QVERIFY(dismissBox(true));
        xdotool(at(250, 392));                   // the client list's second row
        xdotool(at(245, 331));                   // "Direct"
        xdotool(at(272, 285) + u" type back"_s); // the chat entry
        xdotool(at(373, 288));                   // "Send"
        QTRY_COMPARE_WITH_TIMEOUT(direct.bytesAvailable(), 100, 10000);
        QCOMPARE(direct.readAll(), "MNick  Name:back"_ba.leftJustified(100, '\0'));

        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(10000));
    }
};

QTEST_MAIN(TestWineServer)
#include "tst_wineserver.moc"
