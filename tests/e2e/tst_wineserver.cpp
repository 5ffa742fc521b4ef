// The Windows build's programs under Wine on a virtual display, with the Linux ones on loopback:
// the server's confirmation box, a Hangul chat line from halcyra-client in the chat log, a Direct
// line back, byte for byte; each student's program with the other's server, a Hangul line each
// way. Wine draws the frame itself: places are taken from the console's client area.

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
        QVERIFY(dismissBox(true));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        first.disconnectFromHost();
        const QPoint console = windowOrigin(visibleWindow(u"Halcyra  Server"_s));

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
        xdotool(at(console, 250, 392));                   // the client list's second row
        xdotool(at(console, 245, 331));                   // "Direct"
        xdotool(at(console, 272, 285) + u" type back"_s); // the chat entry
        xdotool(at(console, 373, 288));                   // "Send"
        QTRY_COMPARE_WITH_TIMEOUT(direct.bytesAvailable(), 100, 10000);
        QCOMPARE(direct.readAll(), "MNick  Name:back"_ba.leftJustified(100, '\0'));

        QProcess student;
        student.start(QStringLiteral(HALCYRA_STUDENT), {u"127.0.0.1"_s});
        studentTalks(console);
        QVERIFY(student.waitForFinished(10000));
        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(10000));
    }

    void studentUnderWine()
    {
        QVERIFY2(QTcpServer().listen(QHostAddress::AnyIPv4, 5000), "port 5000 is taken here");
        QProcess server, student;
        server.start(QStringLiteral(HALCYRA_SERVER));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        student.start(QStringLiteral(WINE_RUN),
                      {QStringLiteral(HALCYRA_WINDOWS_STUDENT), u"127.0.0.1"_s});
        studentTalks(windowOrigin(visibleWindow(u"Halcyra  Server"_s)));
        QVERIFY(student.waitForFinished(10000));
        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(10000));
    }

private:
    // A click at a point of the console given as on Linux, where its client area is at 196, 67.
    static QString at(QPoint console, int x, int y)
    {
        return u"mousemove %1 %2 click 1"_s.arg(console.x() + x - 196).arg(console.y() + y - 67);
    }

    // The student's program, started, joins the console as lee, a Hangul line goes each way, and
    // the student leaves. Each window is focused before its keys: Wine takes no focus on a click.
    static void studentTalks(QPoint console)
    {
        const QString student = u"Halcyra 학생"_s, teacher = u"Halcyra  Server"_s;
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(student) != 0, 120000);
        xdotool(u"windowmove %1 700 100"_s.arg(visibleWindow(student))); // off the console
        focusWindow(student);
        xdotool(u"key Tab Tab l e e Tab space"_s); // the nickname, then "접속"
        QVERIFY(dismissBox(true));
        // The log fills the middle of the window; the entry comes after it.
        const QPoint log = windowOrigin(visibleWindow(student)) + QPoint(230, 260);
        focusWindow(student);
        xdotool(u"mousemove %1 %2 click 1 key Tab"_s.arg(log.x()).arg(log.y()));
        pasteText(u"안녕하세요"_s);
        xdotool(u"key Return"_s);
        focusWindow(teacher);
        QTRY_VERIFY_WITH_TIMEOUT(
            copyText(console.x() + 295 - 196, console.y() + 181 - 67).contains(u"lee:안녕하세요"_s),
            10000);
        xdotool(at(console, 330, 331)); // "Full Send"
        xdotool(at(console, 272, 285)); // the chat entry
        pasteText(u"반갑습니다"_s);
        xdotool(at(console, 373, 288)); // "Send"
        focusWindow(student);
        QTRY_VERIFY_WITH_TIMEOUT(copyText(log.x(), log.y()).contains(u"Nick  Name:반갑습니다"_s),
                                 10000);
        closeWindow(visibleWindow(student));
    }
};

QTEST_MAIN(TestWineServer)
#include "tst_wineserver.moc"
