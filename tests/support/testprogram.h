#pragma once

#include "chatlogview.h"
#include "consolewindow.h"
#include "messagecomposer.h"
#include "messageviewer.h"
#include "program.h"
#include "rawclient.h"
#include "splashwindow.h"

#include <QLineEdit>
#include <QList>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <memory>

class QMessageBox;

// Watches for the program's boxes, records their texts and dismisses them, the newest first, with
// a real click on OK. While holdWhile returns true the boxes are left open.
class BoxWatcher : public QObject
{
public:
    BoxWatcher();

    QStringList texts; // every box seen, in order of appearance
    int mostOpen = 0;  // the most boxes open at once
    std::function<bool()> holdWhile;

    // How many boxes are open; the newest open box, or null.
    int visible() const;
    QMessageBox *topBox() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void poll();

    QTimer m_timer;
    QList<QPointer<QMessageBox>> m_seen;
};

// A window's control by its object name; the test ends at once when there is none.
template <typename T> T &control(QWidget &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1StringView(name));
    if (!found)
        qFatal("no control %s", name);
    return *found;
}

// The program as start-up makes it, listening on an ephemeral port unless given one, with a
// watcher that records and dismisses every box. The splash hands over at the first pass of the
// event loop unless splashMs says otherwise.
struct TestProgram
{
    explicit TestProgram(int splashMs = 0, quint16 port = 0);

    // Connects a client and waits until the console lists it; null when it never does.
    std::unique_ptr<RawClient> connectListed();

    console::ConsoleWindow &console() { return program.console(); }
    chatlog::ChatLogView &chatLog() { return control<chatlog::ChatLogView>(console(), "chatLog"); }
    QLineEdit &chatEntry() { return control<QLineEdit>(console(), "chatEntry"); }
    QPushButton &sendButton() { return control<QPushButton>(console(), "sendButton"); }
    QListView &clientList() { return control<QListView>(console(), "clientList"); }
    QRadioButton &directMode() { return control<QRadioButton>(console(), "directMode"); }
    QRadioButton &fullSendMode() { return control<QRadioButton>(console(), "fullSendMode"); }
    QLineEdit &nicknameField() { return control<QLineEdit>(console(), "nicknameField"); }
    QLineEdit &contactField() { return control<QLineEdit>(console(), "contactField"); }
    QPushButton &composeButton() { return control<QPushButton>(console(), "composeButton"); }
    QTreeWidget &contactTree() { return control<QTreeWidget>(console(), "contactTree"); }
    QLineEdit &searchField() { return control<QLineEdit>(console(), "searchField"); }
    QPushButton &searchButton() { return control<QPushButton>(console(), "searchButton"); }
    QPushButton &replyButton() { return control<QPushButton>(program.viewer(), "replyButton"); }
    QPlainTextEdit &composerBody()
    {
        return control<QPlainTextEdit>(program.composer(), "messageBody");
    }
    QPushButton &composerSend() { return control<QPushButton>(program.composer(), "sendButton"); }
    QPushButton &composerClear() { return control<QPushButton>(program.composer(), "clearButton"); }

    shell::Program program;
    BoxWatcher boxes;
};

// Clicks into a field (which may empty it) and types, Hangul as an input method commits it.
void type(QWidget &field, const QString &text);

// Clicks and types the way the operator does, through the window system, so that a window a
// box blocks never sees it.
void clickThroughWindow(QWidget &widget, Qt::MouseButton button = Qt::LeftButton,
                        Qt::KeyboardModifiers modifiers = {}, QPoint at = {-1, -1});
