#pragma once

#include "boxwatcher.h"
#include "rawclient.h"

#include <QWidget>
#include <memory>

class QListWidget;
class QPlainTextEdit;

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
