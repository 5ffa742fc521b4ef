#pragma once

#include "chatlink/chatlink.h"

#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

namespace Ui {
class ConsoleWindow;
}
namespace uisupport {
class Announcer;
class Attention;
} // namespace uisupport
class QLabel;
class QMenu;
class QPushButton;

namespace console {

// The operator's console: chat log, client list, chat entry, contact tree, web search and the
// status-bar clock. It sends through the chat link it is given; what the chat link reports
// reaches it through the slots below, which its owner connects.
class ConsoleWindow : public QWidget
{
    Q_OBJECT

public:
    // The clock starts at once; the server may or may not be listening yet.
    explicit ConsoleWindow(chatlink::ChatLink &link, QWidget *parent = nullptr);
    ~ConsoleWindow() override;

    // The selected client-list row, or -1.
    int selectedRow() const;
    // The contact name a composed message is sent under.
    QString contactName() const;
    // Opens addresses in the user's default browser unless replaced (tests put a stand-in here).
    void setUrlOpener(std::function<bool(const QUrl &)> open) { m_openUrl = std::move(open); }
    // Asks the desktop to draw the operator to the console when a line or a message arrives
    // while it is not active (tests put a stand-in here).
    void setAttentionRequester(std::function<void(QWidget &)> request);

public slots:
    // A box tells the operator; once it is dismissed, the chat link lists the client.
    void confirmClient(chatlink::ClientId id, const QString &address);
    void appendClientRow(const QString &address);
    void removeClientRow(int row);
    void describeClientRow(int row, const QDateTime &connected, const QString &latestName);
    void appendChatLine(const QString &line);
    // The viewer shows a message; the console speaks it and asks for attention.
    void noteMessage(const QString &message);
    void reportConnectionFailure(chatlink::ConnectionFailure failure, const QString &socketText);
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
    // Makes the contact tree's current entry known to screen readers once it has the focus.
    void tellCurrentContact();
    // The contact tree's menu, at a point of its viewport.
    void popupContactMenu(QPoint at);
    // At the selected entry, or at the top with none selected.
    void popupContactMenuFromKeyboard();

    chatlink::ChatLink &m_link;
    std::unique_ptr<Ui::ConsoleWindow> m_ui;
    QLabel *m_versionPanel = nullptr;
    QLabel *m_notListeningPanel = nullptr;
    QPushButton *m_retryListeningButton = nullptr;
    QLabel *m_datePanel = nullptr;
    QLabel *m_timePanel = nullptr;
    QMenu *m_contactMenu = nullptr;
    uisupport::Announcer *m_announcer = nullptr; // speaks what arrives to screen readers
    uisupport::Attention *m_attention = nullptr;
    QTimer m_clock;
    std::function<bool(const QUrl &)> m_openUrl;
};

} // namespace console
