#pragma once

// The X desktop as an operator uses it, through xdotool: windows found by their titles, keys and
// clicks sent through the X server.

#include <QProcess>
#include <QTest>

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

// Waits for one of the program's boxes and presses Enter on it.
inline bool dismissBox()
{
    const QString box = QStringLiteral("halcyra-server");
    if (!QTest::qWaitFor([&] { return visibleWindow(box) != 0; }, 10000))
        return false;
    xdotool(QStringLiteral("key Return"));
    return QTest::qWaitFor([&] { return visibleWindow(box) == 0; }, 5000);
}
