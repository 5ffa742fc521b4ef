// The real halcyra-server and halcyra-client under a real X server (Xvfb), the server driven with
// xdotool as an operator would.

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <xcb/xcb.h>

using namespace Qt::StringLiterals;

namespace {

constexpr quint16 kPort = 5000;

QString xdotool(const QStringList &arguments)
{
    QProcess p;
    p.start(u"xdotool"_s, arguments);
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The visible window whose title is exactly the given one, or 0.
qulonglong visibleWindow(const QString &title)
{
    const QString ids = xdotool({u"search"_s, u"--onlyvisible"_s, u"--name"_s,
                                 u"^"_s + QRegularExpression::escape(title) + u"$"_s});
    return ids.isEmpty() ? 0 : ids.split(u'\n').first().toULongLong();
}

void clickAt(QPoint p)
{
    xdotool({u"mousemove"_s, QString::number(p.x()), QString::number(p.y()), u"click"_s, u"1"_s});
}

// Asks a window to close, as the window manager's close button does.
void closeWindow(qulonglong window)
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11->connection();
    auto atom = [c](const char *name) {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return a;
    };
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = xcb_window_t(window);
    event.type = atom("WM_PROTOCOLS");
    event.data.data32[0] = atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c, 0, xcb_window_t(window), XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

// Waits for a box and presses Enter on it.
bool dismissBox()
{
    if (!QTest::qWaitFor([&] { return visibleWindow(u"halcyra-server"_s) != 0; }, 10000))
        return false;
    xdotool({u"key"_s, u"Return"_s});
    return QTest::qWaitFor([&] { return visibleWindow(u"halcyra-server"_s) == 0; }, 5000);
}

// Selects all of a text area and copies it, as an operator would.
QString copyText(QPoint inside)
{
    QGuiApplication::clipboard()->clear();
    clickAt(inside);
    xdotool({u"key"_s, u"ctrl+a"_s, u"ctrl+c"_s});
    QString text;
    if (!QTest::qWaitFor([&] { return !(text = QGuiApplication::clipboard()->text()).isEmpty(); },
                         3000))
        qWarning("nothing was copied");
    return text;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void smokeRun();
};

void TestEndToEnd::smokeRun()
{
    QVERIFY2(QTcpServer().listen(QHostAddress::AnyIPv4, kPort), "port 5000 is taken here");
    QProcess server; // killed when the test fails
    server.setProgram(QStringLiteral(HALCYRA_SERVER));
    server.setProcessChannelMode(QProcess::ForwardedChannels);
    server.start();
    QVERIFY(server.waitForStarted());

    // Port 5000 accepts while only the splash is up; the confirmation box shows over it.
    QTcpSocket first;
    QVERIFY(QTest::qWaitFor(
        [&] {
            first.abort();
            first.connectToHost(u"127.0.0.1"_s, kPort);
            return first.waitForConnected(200);
        },
        5000));
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"halcyra-server"_s) != 0, 5000);
    QVERIFY(visibleWindow(u"Halcyra Server"_s));

    // About four seconds after start the console replaces the splash, box or no box.
    qulonglong console = 0;
    QVERIFY(QTest::qWaitFor([&] { return (console = visibleWindow(u"Halcyra  Server"_s)) != 0; },
                            8000));
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindow(u"Halcyra Server"_s), 0ull, 2000);
    QVERIFY(dismissBox());
    first.disconnectFromHost(); // its row goes; the command-line client will be the first

    // A chat line from the command-line client appears in the chat log, Hangul intact.
    const QPoint at(196, 67); // the console's place on the screen
    QProcess client;
    client.start(QStringLiteral(HALCYRA_CLIENT), {u"--nick"_s, u"kim"_s});
    QVERIFY(client.waitForStarted());
    QVERIFY(dismissBox());
    client.write("hello 안녕하세요\n");
    QTRY_VERIFY_WITH_TIMEOUT(copyText(at + QPoint(60, 80)).contains(u"kim:hello 안녕하세요"_s),
                             5000);

    // The operator's line, typed and sent with Enter, reaches the client.
    clickAt(at + QPoint(40, 4 + 9)); // nickname field: emptied by the click
    xdotool({u"type"_s, u"op"_s});
    clickAt(at + QPoint(60, 208 + 10));
    xdotool({u"type"_s, u"enter hi"_s});
    xdotool({u"key"_s, u"Return"_s});
    QTRY_VERIFY_WITH_TIMEOUT(client.canReadLine(), 5000);
    QCOMPARE(client.readLine().trimmed(), "M op:enter hi"_ba);

    // A message from the client: the "Message" box, then the viewer with its two lines.
    client.write("/s see you\\nbye\n");
    QVERIFY(dismissBox());
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Form3"_s) != 0, 3000);
    QCOMPARE(copyText(QPoint(453 + 100, 286 + 100)), u"kim:see you\nbye"_s);

    const QString shot = QCoreApplication::applicationDirPath() + u"/console.png"_s;
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0, at.x(), at.y(), 382, 604).save(shot));
    qInfo("console screenshot: %s", qPrintable(shot));

    // Closing the console ends the program cleanly.
    closeWindow(console);
    QVERIFY(server.waitForFinished(5000));
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), 0);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
