#pragma once

// The X desktop as an operator uses it, through xdotool: windows found by their titles, keys and
// clicks sent through the X server.

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <xcb/xcb.h>

// Runs xdotool with the words of the command, then the further arguments; returns what it printed.
inline QByteArray xdotool(const QString &command, const QStringList &further = {})
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), command.split(u' ') + further);
    p.waitForFinished();
    return p.readAllStandardOutput();
}

// The visible window whose title is exactly the given one, or 0.
inline qulonglong visibleWindow(const QString &title)
{
    return xdotool(QStringLiteral("search --onlyvisible --limit 1 --name"), {u'^' + title + u'$'})
        .toULongLong();
}

inline void focusWindow(const QString &title)
{
    xdotool(QStringLiteral("windowfocus --sync"), {QString::number(visibleWindow(title))});
}

// Where a window is on the screen.
inline QPoint windowOrigin(qulonglong window)
{
    const QByteArray shown =
        xdotool(QStringLiteral("getwindowgeometry"), {QString::number(window)});
    const qsizetype at = shown.indexOf("Position: ") + 10;
    const QList<QByteArray> xy = shown.mid(at, shown.indexOf(' ', at) - at).split(',');
    return xy.size() == 2 ? QPoint(xy[0].toInt(), xy[1].toInt()) : QPoint();
}

// Waits for one of the program's boxes and presses Enter on it, focusing it first when asked
// (where no window manager gives it the focus).
inline bool dismissBox(bool focus = false)
{
    const QString box = QStringLiteral("halcyra-server");
    if (!QTest::qWaitFor([&] { return visibleWindow(box) != 0; }, 10000))
        return false;
    if (focus)
        xdotool(QStringLiteral("windowfocus --sync"), {QString::number(visibleWindow(box))});
    xdotool(QStringLiteral("key Return"));
    return QTest::qWaitFor([&] { return visibleWindow(box) == 0; }, 5000);
}

// Asks a window to close, as the window manager's close button does.
inline void closeWindow(qulonglong window)
{
    auto *c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    auto atom = [c](const char *name) {
        const QScopedPointer<xcb_intern_atom_reply_t, QScopedPointerPodDeleter> reply(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    const xcb_client_message_event_t event{
        .response_type = XCB_CLIENT_MESSAGE,
        .format = 32,
        .sequence = 0,
        .window = xcb_window_t(window),
        .type = atom("WM_PROTOCOLS"),
        .data = {.data32 = {atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME}}};
    xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&event));
    xcb_flush(c);
}

// Clicks in the text area at x, y on the screen and copies all of it, as an operator would.
inline QString copyText(int x, int y)
{
    QGuiApplication::clipboard()->clear();
    xdotool(QStringLiteral("mousemove %1 %2 click 1 key ctrl+a ctrl+c").arg(x).arg(y));
    if (!QTest::qWaitFor([] { return !QGuiApplication::clipboard()->text().isEmpty(); }, 3000))
        qWarning("nothing was copied");
    return QGuiApplication::clipboard()->text();
}

// Enters a line as pasted. Hangul typed with xdotool gets lost: of the keys xdotool maps for it,
// Wine's keyboard takes only the first, Qt's loses some. The clipboard is xclip's: once others
// have copied, Qt here can no longer take it.
inline void pasteText(const QString &text)
{
    QProcess::execute(QStringLiteral("sh"),
                      {QStringLiteral("-c"),
                       QStringLiteral("printf %s \"$0\" | xclip -selection clipboard >/dev/null"),
                       text});
    xdotool(QStringLiteral("key ctrl+v"));
}
