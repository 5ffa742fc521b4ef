#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/views.h"
#include "chatlog.h"

#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

namespace Ui {
class TForm1;
}
class QLabel;
class QMenu;

// The operator's console: chat log, client list, chat entry, contact tree, web search and the
// status-bar clock. It owns the server socket and the chat link over it, and shows what the chat
// link reports.
class TForm1 : public QWidget,
               public chatlink::ClientListView,
               public chatlink::IncomingView,
               public chatlink::OperatorNotices
{
    Q_OBJECT

public:
    // Creating the console starts listening on the port and starts the clock.
    explicit TForm1(quint16 port = chatlink::kServerPort, QWidget *parent = nullptr);
    ~TForm1() override;

    chatlink::ChatServer ServerSocket1;
    QTimer Timer1;

    chatlink::ChatLink &chatLink() { return m_link; }
    QMenu *PopupMenu1() const { return m_popupMenu; }

    // Opens addresses in the user's default browser; tests put a stand-in here.
    std::function<bool(const QUrl &)> openUrl;

    // Send: the chat line to the selected client ("Direct") or to every client ("Full Send").
    void Button1Click();
    // Enter: the chat line, without zero fill, to the first client, whatever the chat mode.
    void Edit1KeyPress(QChar key);
    // " Message": opens the composer, empty.
    void Button3Click();
    // "Search": opens the web search for the question in the default browser.
    void Button4Click();
    // "친구추가": adds the contact name as the last entry of the selected entry's level (the top
    // level with none selected); the selection stays where it was.
    void N1Click();
    // "친구삭제": deletes the selected entry with its children; nothing without a selection.
    void N2Click();
    void Timer1Timer();
    void Edit2Click();
    void Edit3Click();
    void Edit4Click();
    void FormShow();
    void FormClose();

    // chatlink::ClientListView
    void appendRow(const QString &text) override;
    void removeRow(int row) override;
    int selectedRow() const override;
    // chatlink::IncomingView
    void appendChatLine(const QString &line) override;
    void presentMessage(const QString &message) override;
    // chatlink::OperatorNotices
    void clientConnected(const QString &address) override;
    void networkSetupError() override;
    void socketError(const QString &text) override;
    void clientDropped(const QString &address) override;

    // The contact name a composed message is sent under.
    QString contactName() const;

signals:
    // Raised each time the console is shown, and when it is being closed.
    void shown();
    void closing();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void logChatLine();

    std::unique_ptr<Ui::TForm1> m_ui;
    std::array<QLabel *, 3> m_panels{}; // status bar: version, date, time
    QMenu *m_popupMenu = nullptr;
    std::unique_ptr<console::ChatLog> m_chatLog;
    chatlink::ChatLink m_link;
};

extern TForm1 *Form1;
