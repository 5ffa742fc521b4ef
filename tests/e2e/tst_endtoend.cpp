// The real programs on a virtual display, driven with xdotool as an operator would: the server
// with halcyra-client and the student's program, and the student's program with the
// Linux server. As tst_wineserver, the server and the student's program under test are the
// Windows build's under Wine (HALCYRA_WINE_RUN and the programs' paths in the environment), the
// Linux programs they talk to on loopback. Wine draws the frame itself: places are taken from the
// console's client area.

#include "desktop.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void theServer()
    {
        QVERIFY2(QTcpServer().listen(QHostAddress::AnyIPv4, 5000), "port 5000 is taken here");
        // The browser a search starts is a stand-in, first in the path, that keeps its environment.
        QTemporaryDir bin;
        QFile browser(bin.filePath(u"xdg-open"_s));
        QVERIFY(browser.open(QIODevice::WriteOnly));
        browser.write("#!/bin/sh\nenv > \"$0.part\" && mv \"$0.part\" \"$0.env\"\n");
        browser.close();
        QVERIFY(browser.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"QT_NO_GLIB"_s);
        environment.insert(u"PATH"_s, bin.path() + u':' + environment.value(u"PATH"_s));
        QProcess server; // killed when the test fails
        server.setProcessEnvironment(environment);
        server.setProcessChannelMode(QProcess::ForwardedChannels);
        start(server, "HALCYRA_SERVER_UNDER_TEST", HALCYRA_SERVER);

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

        // A search starts the browser with the operator's environment: no QT_NO_GLIB of ours.
        if (!underWine()) {
            xdotool(at(console, 353, 621)); // the Search button
            QFile browserEnvironment(bin.filePath(u"xdg-open.env"_s));
            QTRY_VERIFY_WITH_TIMEOUT(browserEnvironment.exists(), 5000);
            QVERIFY(browserEnvironment.open(QIODevice::ReadOnly));
            QVERIFY(!('\n' + browserEnvironment.readAll()).contains("\nQT_NO_GLIB="));
        }

        // A Hangul chat line from the Linux command-line client, in the chat log.
        QProcess client;
        client.start(QStringLiteral(HALCYRA_CLIENT), {u"--nick"_s, u"kim"_s});
        QVERIFY(dismissBox(true));
        client.write("hello 안녕하세요\n");
        QTRY_VERIFY_WITH_TIMEOUT(copyText(console.x() + 295 - 196, console.y() + 181 - 67)
                                     .contains(u"kim:hello 안녕하세요"_s),
                                 10000);

        // The Linux student's program joins; closing the console then ends the program cleanly.
        QProcess student;
        student.start(QStringLiteral(HALCYRA_STUDENT), {u"127.0.0.1"_s});
        studentTalks(console);
        QVERIFY(student.waitForFinished(10000));
        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        QVERIFY(client.waitForFinished(10000)); // its connection closed
    }

    void theStudentsProgram()
    {
        if (!underWine())
            QSKIP("here the server's test has the student's program with the same server");
        QVERIFY2(QTcpServer().listen(QHostAddress::AnyIPv4, 5000), "port 5000 is taken here");
        QProcess server, student;
        server.start(QStringLiteral(HALCYRA_SERVER));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        start(student, "HALCYRA_STUDENT_UNDER_TEST", HALCYRA_STUDENT, {u"127.0.0.1"_s});
        studentTalks(windowOrigin(visibleWindow(u"Halcyra  Server"_s)));
        QVERIFY(student.waitForFinished(10000));
        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(10000));
    }

private:
    static bool underWine() { return qEnvironmentVariableIsSet("HALCYRA_WINE_RUN"); }

    // Starts the program under test: the Windows one the variable names, under Wine, or else the
    // Linux one.
    static void start(QProcess &process, const char *variable, const char *linuxProgram,
                      const QStringList &arguments = {})
    {
        if (underWine())
            process.start(qEnvironmentVariable("HALCYRA_WINE_RUN"),
                          QStringList{qEnvironmentVariable(variable)} + arguments);
        else
            process.start(QString::fromUtf8(linuxProgram), arguments);
    }

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

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
