// The real halcyra-server and halcyra-client under a real X server (Xvfb), the server driven with
// xdotool as an operator would.

#include "desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void smokeRun()
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
        server.start(QStringLiteral(HALCYRA_SERVER));

        // Port 5000 accepts while only the splash is up; the confirmation box shows over it.
        QTcpSocket first;
        const auto connectFirst = [&] {
            first.abort();
            first.connectToHost(u"127.0.0.1"_s, 5000);
            return first.waitForConnected(200);
        };
        QVERIFY(QTest::qWaitFor(connectFirst, 5000)); // once connected, tried no more
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"halcyra-server"_s) != 0, 5000);
        QVERIFY(visibleWindow(u"Halcyra Server"_s));

        // About four seconds after start the console replaces the splash, box or no box.
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 8000);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindow(u"Halcyra Server"_s), 0ull, 2000);
        QVERIFY(dismissBox());
        first.disconnectFromHost(); // its row goes; the command-line client will be the first

        // A search starts the browser with the operator's environment: no QT_NO_GLIB of ours.
        xdotool(u"mousemove 353 621 click 1"_s); // the Search button
        QFile browserEnvironment(bin.filePath(u"xdg-open.env"_s));
        QTRY_VERIFY_WITH_TIMEOUT(browserEnvironment.exists(), 5000);
        QVERIFY(browserEnvironment.open(QIODevice::ReadOnly));
        QVERIFY(!('\n' + browserEnvironment.readAll()).contains("\nQT_NO_GLIB="));

        // A chat line from the command-line client appears in the chat log, Hangul intact. The
        // console is at 196, 67 on the screen.
        QProcess client;
        client.start(QStringLiteral(HALCYRA_CLIENT), {u"--nick"_s, u"kim"_s});
        QVERIFY(dismissBox());
        client.write("hello 안녕하세요\n");
        QTRY_VERIFY_WITH_TIMEOUT(copyText(256, 147).contains(u"kim:hello 안녕하세요"_s), 5000);

        // The operator's line, typed and sent with Enter, reaches the client.
        xdotool(u"mousemove 236 80 click 1 type op"_s); // nickname field: emptied by the click
        xdotool(u"mousemove 256 285 click 1 type"_s, {u"enter hi"_s}); // line field
        xdotool(u"key Return"_s);
        QTRY_COMPARE_WITH_TIMEOUT(client.peek(100), "M op:enter hi\n"_ba, 5000);

        // A message from the client: the "Message" box, then the viewer with its two lines.
        client.write("/s see you\\nbye\n");
        QVERIFY(dismissBox());
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Form3"_s) != 0, 3000);
        QCOMPARE(copyText(553, 386), u"kim:see you\nbye"_s); // the viewer is at 453, 286
        const QString shot = QCoreApplication::applicationDirPath() + u"/console.png"_s;
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0, 196, 67, 382, 604).save(shot));

        // Closing the console ends the program cleanly.
        closeWindow(visibleWindow(u"Halcyra  Server"_s));
        QVERIFY(server.waitForFinished(5000));
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
