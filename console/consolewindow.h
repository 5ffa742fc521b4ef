#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/views.h"

#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class ConsoleWindow;
}
namespace chatlink {
class ChatServer;
}
namespace uisupport {
class Announcer;
}
class QLabel;
class QMenu;

// The operator's console: chat log, client list, chat entry, contact tree, web search and the
// status-bar clock. It runs the chat link over the server it is given and shows what the chat
// link reports.
class ConsoleWindow : public QWidget,
                      public chatlink::ClientListView,
                      public chatlink::IncomingView,
                      public chatlink::OperatorNotices
{
    Q_OBJECT

public:
    // The clock starts at once; the server may or may not be listening yet.
    explicit ConsoleWindow(chatlink::ChatServer &server, QWidget *parent = nullptr);
    ~ConsoleWindow() override;

    chatlink::ChatLink &chatLink() { return m_link; }
    // The contact name a composed message is sent under.
    QString contactName() const;
    // Opens addresses in the user's default browser unless replaced (tests put a stand-in here).
    void setUrlOpener(std::function<bool(const QUrl &)> open) { m_openUrl = std::move(open); }
    // Asks the desktop to draw the operator to the console (its taskbar entry flashes until it is
    // active again) unless replaced (tests put a stand-in here).
    void setAttentionRequester(std::function<void(QWidget &)> request)
    {
        m_requestAttention = std::move(request);
    }

    // chatlink::ClientListView
    void appendRow(const QString &text) override;
    void removeRow(int row) override;
    int selectedRow() const override;
    void describeRow(int row, const QDateTime &connected, const QString &latestName) override;
    // chatlink::IncomingView
    void appendChatLine(const QString &line) override;
    void presentMessage(const QString &message) override;
    // chatlink::OperatorNotices
    void clientConnected(const QString &address) override;
    void networkSetupError() override;
    void socketError(const QString &text) override;
    void clientDropped(const QString &address) override;

signals:
    // Raised each time the console is shown, and when it is being closed.
    void shown();
    void closing();
    // " Message" was clicked: the composer is wanted, empty.
    void composeRequested();
    // A client sent a message, for the viewer.
    void messageArrived(const QString &message);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // The chat line to the selected client ("Direct") or to every client ("Full Send").
    void sendClicked();
    // The chat line, without zero fill, to the first client, whatever the chat mode.
    void enterPressed();
    // Opens the web search for the question in the default browser.
    void searchClicked();
    // Adds the contact name as the last entry of the selected entry's level (the top level with
    // none selected); the selection stays where it was.
    void addContact();
    // Deletes the selected entry with its children; nothing without a selection.
    void deleteContact();
    void updateClock();

private:
    void logChatLine();
    // Once for all that arrives while the console is not active, until it is again.
    void askForAttention();
    // Makes the contact tree's current entry known to screen readers once it has the focus.
    void tellCurrentContact();
    // The contact tree's menu, at a point of its viewport.
    void popupContactMenu(QPoint at);
    // At the selected entry, or at the top with none selected.
    void popupContactMenuFromKeyboard();

    chatlink::ChatServer &m_server;
    std::unique_ptr<Ui::ConsoleWindow> m_ui;
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
    QMenu *m_contactMenu = nullptr;
    uisupport::Announcer *m_announcer = nullptr; // speaks what arrives to screen readers
    QTimer m_clock;
    std::function<bool(const QUrl &)> m_openUrl;
    std::function<void(QWidget &)> m_requestAttention;
    bool m_attentionAsked = false;
    chatlink::ChatLink m_link;
};
