#pragma once

#include "teacherlink.h"

#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;
class QSpinBox;
namespace uisupport {
class Announcer;
}
namespace chatlog {
class ChatLogView;
class ChatPane;
} // namespace chatlog

namespace student {

class StatusLabel;

// The student's window: where the teacher's server is, the nickname, the chat log and entry, and
// a status bar that says where the connection stands. It sends through the link it is given;
// what the link reports reaches it through the slots below, which its owner connects.
class StudentWindow : public QWidget
{
    Q_OBJECT

public:
    explicit StudentWindow(studentlink::TeacherLink &link, QWidget *parent = nullptr);

    void setTeacher(const QString &host, quint16 port);
    void setNickname(const QString &nickname);
    QString nickname() const;
    // Tests put a stand-in here for asking the desktop to draw the student to the window.
    void setAttentionRequester(std::function<void(QWidget &)> request);

public slots:
    void showState(studentlink::LinkState state, studentlink::LinkProblem problem,
                   const QString &reason, int retryInMs);
    void appendChatLine(const QString &line);
    // The inbox shows a message; the window speaks it and asks for attention.
    void noteMessage(const QString &message);

signals:
    // "접속" was clicked: the link connects to these, and the owner remembers them.
    void teacherChosen(const QString &host, quint16 port, const QString &nickname);
    void composeRequested();
    // The window is being closed: the program ends with it.
    void closing();

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void connectClicked();
    // The line as a chat-line block; logged as the teacher sees it, nickname first. A refused
    // line stays in the entry.
    void sendClicked();

private:
    studentlink::TeacherLink &m_link;
    QLineEdit *m_hostField;
    QSpinBox *m_portField;
    QLineEdit *m_nicknameField;
    QPushButton *m_connectButton;
    QPushButton *m_leaveButton;
    chatlog::ChatLogView *m_chatLog;
    QLineEdit *m_chatEntry;
    StatusLabel *m_statusPanel;
    uisupport::Announcer *m_statusAnnouncer;
    chatlog::ChatPane *m_chat;
};

} // namespace student
