#pragma once

#include "chatrouter.h"

#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class ConsoleWindow;
}
namespace chatlog {
class ChatPane;
}
class QLabel;
class QMenu;
class QPushButton;

namespace console {

// The operator's console: chat log, client list, chat entry, contact tree, web search and the
// status-bar clock. It lists the router's clients and sends through the router; what the router
// reports reaches it through the slots below, which its owner connects.
class ConsoleWindow : public QWidget
{
    Q_OBJECT

public:
    // The clock starts at once; the server may or may not be listening yet.
    explicit ConsoleWindow(server::ChatRouter &router, QWidget *parent = nullptr);
    ~ConsoleWindow() override;

    // The client selected in the list, if any.
    std::optional<server::ClientId> selectedClient() const;
    // The contact name a composed message is sent under.
    QString contactName() const;
    // Opens addresses in the user's default browser unless replaced (tests put a stand-in here).
    void setUrlOpener(std::function<bool(const QUrl &)> open) { m_openUrl = std::move(open); }
    // Asks the desktop to draw the operator to the console when a line or a message arrives
    // while it is not active (tests put a stand-in here).
    void setAttentionRequester(std::function<void(QWidget &)> request);

public slots:
    // A box tells the operator; once it is dismissed, the client is listed.
    void confirmClient(server::ClientId id);
    void appendChatLine(const QString &line);
    // The viewer shows a message; the console speaks it and asks for attention.
    void noteMessage(const QString &message);
    void reportConnectionFailure(server::ConnectionFailure failure, int code,
                                 const QString &reason);
    void reportClientDropped(const QString &address);
    // Whether clients can connect, in the status bar; not listening, also in a box, with a button
    // that asks to try again.
    void showListening();
    void showNotListening(quint16 port, const QString &reason);

signals:
    // Raised each time the console is shown, and when it is being closed.
    void shown();
    void closing();
    // " Message" was clicked: the composer is wanted, empty.
    void composeRequested();
    // The operator asks to try listening again.
    void listenRetryRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    // The chat line to the selected client ("Direct") or to every client ("Full Send").
    void sendClicked();
    // The chat line, without zero fill, to the client connected longest ago, whatever the chat
    // mode.
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
    // Shows the router's clients; a client that leaves takes no other client's selection with it.
    void listClients();
    // Where students connect to: in the client list while it is empty, and in the version
    // panel's tooltip, for screen readers too.
    void showAddresses();
    // Makes the contact tree's current entry known to screen readers once it has the focus.
    void tellCurrentContact();
    // The contact tree's menu, at a point of its viewport.
    void popupContactMenu(QPoint at);
    // At the selected entry, or at the top with none selected.
    void popupContactMenuFromKeyboard();

    server::ChatRouter &m_router;
    std::unique_ptr<Ui::ConsoleWindow> m_ui;
    QLabel *m_versionPanel = nullptr;
    QLabel *m_notListeningPanel = nullptr;
    QPushButton *m_retryListeningButton = nullptr;
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
    QMenu *m_contactMenu = nullptr;
    chatlog::ChatPane *m_chat = nullptr;
    QTimer m_clock;
    QLabel *m_addressHint = nullptr;
    QString m_clientListDescription;
    QTimer m_addressRefresh; // follows a change of network
    std::function<bool(const QUrl &)> m_openUrl;
};

} // namespace console
