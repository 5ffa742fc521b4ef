#pragma once

#include "rawclient.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QListWidget;
class QMessageBox;
class QPlainTextEdit;

// Watches for the program's modal boxes, records their texts and dismisses them, topmost first,
// the way an operator clicks OK. While holdWhile returns true the boxes are left open.
class BoxWatcher : public QObject
{
public:
    BoxWatcher();

    QStringList texts;  // every box seen, in order of appearance
    QStringList errors; // the texts of the boxes with an error icon
    int mostOpen = 0;   // the most boxes open at once
    std::function<bool()> holdWhile;

    // The innermost open box, or null.
    QMessageBox *topBox() const;

private:
    void poll();

    QTimer m_timer;
    QList<QPointer<QMessageBox>> m_seen;
};

// The program's windows as start-up creates them (the console listening on an ephemeral port),
// handed over to the console or still at the splash, with a watcher that records and dismisses
// every box.
struct Program
{
    explicit Program(bool handOver = true);
    ~Program();

    // Connects a client and waits until the console lists it; null when it never does.
    std::unique_ptr<RawClient> connectListed();

    BoxWatcher boxes;
};

// A window's control by its name in the layout.
template <typename T> T *control(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1StringView(name));
}
QListWidget *clientList();
QPlainTextEdit *chatLog();
