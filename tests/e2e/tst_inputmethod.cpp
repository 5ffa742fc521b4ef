// A teacher who types Korean through a real input method: ibus with its Hangul engine (2-set
// layout) and the real halcyra-server, under a window manager on a virtual display. A box that
// opens while a syllable is being composed must not take the syllable away.

#include "desktop.h"
#include "rawclient.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestInputMethod : public QObject
{
    Q_OBJECT

private slots:
    void aComposedSyllableOutlivesABox()
    {
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"HOME"_s, home.path());
        // Where the daemon writes its address, and Qt's ibus plugin and ibus read it.
        environment.insert(u"IBUS_ADDRESS_FILE"_s, home.filePath(u"ibus-address"_s));
        const auto start = [&](QProcess &process, const QString &program,
                               const QStringList &arguments = {}) {
            process.setProcessEnvironment(environment);
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process.start(program, arguments);
            return process.waitForStarted();
        };
        // Without a window manager, keys after a box would skip the input method.
        QProcess windowManager;
        QVERIFY(start(windowManager, u"openbox"_s));
        QProcess daemon; // without a panel, its configuration in memory: the engine's defaults
        QVERIFY(start(daemon, u"ibus-daemon"_s,
                      {u"--panel=disable"_s, u"--emoji-extension=disable"_s,
                       u"--config=/usr/libexec/ibus-memconf"_s}));
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(home.filePath(u"ibus-address"_s)); }));
        const auto ibus = [&](const QStringList &arguments) {
            QProcess command;
            return start(command, u"ibus"_s, arguments) && command.waitForFinished() &&
                   command.exitCode() == 0;
        };
        QVERIFY(QTest::qWaitFor([&] { return ibus({u"engine"_s, u"hangul"_s}); }, 10000));

        QProcess server;
        environment.insert(u"QT_IM_MODULE"_s, u"ibus"_s);
        QVERIFY(start(server, QStringLiteral(HALCYRA_SERVER)));
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Halcyra  Server"_s) != 0, 10000);
        focusWindow(u"Halcyra  Server"_s);
        QTest::qWait(500);
        // From the nickname field to the chat entry; into Hangul, then 안녕하세요 in the 2-set
        // layout: 요 is still being composed.
        xdotool(u"key Tab Tab Tab shift+space"_s);
        QTest::qWait(300);
        xdotool(u"key --delay 50 d k s s u d g k t p d y"_s);
        QTest::qWait(500);

        // A student joins: its box opens, and is dismissed; Enter then sends the entry's line to
        // that student, without the zero fill.
        RawClient student(5000);
        QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"halcyra-server"_s) != 0, 5000);
        QTest::qWait(300);
        xdotool(u"key Return"_s);
        QTRY_COMPARE_WITH_TIMEOUT(visibleWindow(u"halcyra-server"_s), 0ull, 5000);
        QTest::qWait(300);
        xdotool(u"key Return"_s);
        QCOMPARE(student.receive(22),
                 "MNick  Name:\xbe\xc8\xb3\xe7\xc7\xcf\xbc\xbc\xbf\xe4"_ba); // 안녕하세요

        for (QProcess *process : {&server, &daemon, &windowManager}) {
            process->kill();
            process->waitForFinished();
        }
    }
};

QTEST_MAIN(TestInputMethod)
#include "tst_inputmethod.moc"
