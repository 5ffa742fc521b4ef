// The real halcyra-server under a real X server (Xvfb), driven with xdotool as an operator would.

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
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

QRect windowGeometry(qulonglong window)
{
    const QString out = xdotool({u"getwindowgeometry"_s, QString::number(window)});
    const QRegularExpression re(u"Position: (\\d+),(\\d+).*Geometry: (\\d+)x(\\d+)"_s,
                                QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(out);
    if (!m.hasMatch())
        return {};
    return QRect(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                 m.captured(4).toInt());
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

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void splashThenConsoleWithChat();

private:
    // Waits for the confirmation box and presses Enter on it.
    bool dismissBox();
    // Selects all of a text area and copies it, as an operator would.
    QString copyText(QPoint inside);
    // Waits for the next line the command-line client prints.
    QString clientLine(QProcess &client);

    QProcess m_server;
};

void TestEndToEnd::initTestCase()
{
    QTcpServer probe;
    QVERIFY2(probe.listen(QHostAddress::AnyIPv4, kPort), "port 5000 is taken on this machine");
    probe.close();
}

void TestEndToEnd::cleanupTestCase()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

bool TestEndToEnd::dismissBox()
{
    qulonglong box = 0;
    if (!QTest::qWaitFor([&] { return (box = visibleWindow(u"halcyra-server"_s)) != 0; }, 10000))
        return false;
    const QRect g = windowGeometry(box);
    xdotool({u"mousemove"_s, QString::number(g.center().x()), QString::number(g.center().y())});
    xdotool({u"key"_s, u"Return"_s});
    return QTest::qWaitFor([&] { return visibleWindow(u"halcyra-server"_s) == 0; }, 5000);
}

QString TestEndToEnd::copyText(QPoint inside)
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

QString TestEndToEnd::clientLine(QProcess &client)
{
    if (!QTest::qWaitFor([&] { return client.canReadLine(); }, 5000))
        return {};
    return QString::fromUtf8(client.readLine()).trimmed();
}

void TestEndToEnd::splashThenConsoleWithChat()
{
    // A stand-in browser, first in PATH, that records the address it is asked to open.
    QTemporaryDir browserDir;
    QVERIFY(browserDir.isValid());
    const QString browser = browserDir.filePath(u"xdg-open"_s);
    const QString opened = browserDir.filePath(u"opened"_s);
    {
        QFile script(browser);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$(dirname \"$0\")/opened\"\n");
    }
    QFile::setPermissions(browser, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"PATH"_s, browserDir.path() + u':' + environment.value(u"PATH"_s));
    m_server.setProcessEnvironment(environment);
    m_server.setProgram(QStringLiteral(HALCYRA_SERVER));
    m_server.setProcessChannelMode(QProcess::ForwardedChannels);
    m_server.start();
    QVERIFY(m_server.waitForStarted());

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
    const qulonglong splash = visibleWindow(u"Halcyra Server"_s);
    QVERIFY(splash);
    QCOMPARE(windowGeometry(splash), QRect(704, 159, 633, 360));
    QCOMPARE(visibleWindow(u"Halcyra  Server"_s), 0ull);

    // About four seconds after start the console replaces the splash, box or no box.
    qulonglong console = 0;
    QVERIFY(QTest::qWaitFor([&] { return (console = visibleWindow(u"Halcyra  Server"_s)) != 0; },
                            8000));
    const QRect consoleGeometry = windowGeometry(console);
    QCOMPARE(consoleGeometry, QRect(196, 67, 382, 604));
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindow(u"Halcyra Server"_s), 0ull, 2000);
    QVERIFY(dismissBox());
    first.disconnectFromHost(); // its row goes; the command-line client will be row 0

    // A chat line from the command-line client appears in the chat log.
    const QPoint at = consoleGeometry.topLeft();
    QProcess client;
    client.start(QStringLiteral(HALCYRA_CLIENT), {u"--nick"_s, u"kim"_s});
    QVERIFY(client.waitForStarted());
    QVERIFY(dismissBox());
    client.write("hello 안녕하세요\n");
    QTRY_VERIFY_WITH_TIMEOUT(copyText(at + QPoint(60, 80)).contains(u"kim:hello 안녕하세요"_s),
                             5000);

    // Direct: a full block to the selected client.
    clickAt(at + QPoint(40, 4 + 9)); // nickname field: emptied by the click
    xdotool({u"type"_s, u"op"_s});
    clickAt(at + QPoint(25, 256 + 8)); // "Direct"
    clickAt(at + QPoint(40, 304 + 9)); // the client's row
    clickAt(at + QPoint(60, 208 + 10));
    xdotool({u"type"_s, u"direct hi"_s});
    clickAt(at + QPoint(157 + 20, 208 + 13)); // "Send"
    QCOMPARE(clientLine(client), u"M op:direct hi"_s);

    // Enter: the text alone to the first client.
    clickAt(at + QPoint(60, 208 + 10));
    xdotool({u"type"_s, u"enter hi"_s});
    xdotool({u"key"_s, u"Return"_s});
    QCOMPARE(clientLine(client), u"M op:enter hi"_s);

    // A message from the composer, two lines.
    clickAt(at + QPoint(33 + 60, 497 + 11)); // " Message"
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Form4"_s) != 0, 3000);
    clickAt(QPoint(457 + 100, 302 + 100));
    xdotool({u"type"_s, u"line one"_s});
    xdotool({u"key"_s, u"Return"_s});
    xdotool({u"type"_s, u"line two"_s});
    clickAt(QPoint(457 + 8 + 70, 302 + 288 + 12)); // "Send To Message"
    QCOMPARE(clientLine(client), u"S Input Data:line one"_s);
    QCOMPARE(clientLine(client), u"line two"_s);
    QTRY_COMPARE_WITH_TIMEOUT(visibleWindow(u"Form4"_s), 0ull, 3000);

    // A message from the client: the "Message" box, then the viewer with the text.
    client.write("/s see you\\nbye\n");
    QVERIFY(dismissBox());
    QTRY_VERIFY_WITH_TIMEOUT(visibleWindow(u"Form3"_s) != 0, 3000);
    QCOMPARE(copyText(QPoint(453 + 100, 286 + 100)), u"kim:see you\nbye"_s);

    // The web search opens the default browser on the address, the question intact.
    clickAt(at + QPoint(4 + 40, 528 + 17 + 10)); // the question field: emptied by the click
    xdotool({u"type"_s, u"rock & roll #1 + 100%"_s});
    clickAt(at + QPoint(129 + 28, 528 + 14 + 12)); // "Search"
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(opened), 5000);
    QFile record(opened);
    QVERIFY(record.open(QIODevice::ReadOnly));
    const QUrl url = QUrl::fromEncoded(record.readAll().trimmed());
    QCOMPARE(url.host(), u"search.naver.com"_s);
    const QList<QByteArray> items = url.query(QUrl::FullyEncoded).toUtf8().split('&');
    QCOMPARE(items.size(), 3);
    QCOMPARE(QByteArray::fromPercentEncoding(items.at(1).sliced(6)), "rock & roll #1 + 100%"_ba);

    const QString shot = QCoreApplication::applicationDirPath() + u"/console.png"_s;
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0, 196, 67, 382, 604).save(shot));
    qInfo("console screenshot: %s", qPrintable(shot));

    // Closing the console ends the program cleanly.
    closeWindow(console);
    QVERIFY(m_server.waitForFinished(5000));
    QCOMPARE(m_server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_server.exitCode(), 0);
    client.waitForFinished(3000);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
