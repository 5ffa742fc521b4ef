#include "studentwindow.h"

#include "announcer.h"
#include "block.h"
#include "chatlogview.h"
#include "chatpane.h"
#include "studentwording.h"
#include "wording.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace student {

// Where the connection stands, in the status bar. It never widens the window: a text too long
// for it is shown cut short, and given whole as the tooltip and to screen readers.
class StatusLabel : public QLabel
{
public:
    void setStatus(const QString &status)
    {
        m_status = status;
        setToolTip(status);
        setAccessibleName(status);
        fit();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        fit();
    }

private:
    void fit()
    {
        setText(fontMetrics().elidedText(m_status, Qt::ElideRight, contentsRect().width()));
    }

    QString m_status;
};

namespace {

// A caption that names the field it stands before, for screen readers too.
QLabel *caption(const QString &text, QWidget &field)
{
    auto *label = new QLabel(text);
    label->setBuddy(&field);
    field.setAccessibleName(text);
    return label;
}

QPushButton *button(const QString &caption, const QString &name)
{
    auto *made = new QPushButton(caption);
    made->setObjectName(name);
    return made;
}

} // namespace

StudentWindow::StudentWindow(studentlink::TeacherLink &link, QWidget *parent)
    : QWidget(parent), m_link(link), m_hostField(new QLineEdit), m_portField(new QSpinBox),
      m_nicknameField(new QLineEdit),
      m_connectButton(button(wording::connectToTeacher, u"connectButton"_s)),
      m_leaveButton(button(wording::leaveTeacher, u"leaveButton"_s)),
      m_chatLog(new chatlog::ChatLogView), m_chatEntry(new QLineEdit),
      m_statusPanel(new StatusLabel), m_statusAnnouncer(new uisupport::Announcer(this)),
      m_chat(new chatlog::ChatPane(*this, *m_chatLog, *m_chatEntry, wording::sendRefused))
{
    setWindowTitle(wording::studentTitle);
    // Of its own, so that the connection's news never merge into a summary of chat lines.
    m_statusAnnouncer->setObjectName(u"statusAnnouncer"_s);
    m_hostField->setObjectName(u"hostField"_s);
    m_portField->setObjectName(u"portField"_s);
    m_portField->setRange(1, 65535);
    m_portField->setValue(wire::kServerPort);
    m_nicknameField->setObjectName(u"nicknameField"_s);
    m_chatLog->setObjectName(u"chatLog"_s);
    m_chatLog->setAccessibleName(wording::chatLogName);
    m_chatEntry->setObjectName(u"chatEntry"_s);
    m_chatEntry->setAccessibleName(wording::chatEntryName);
    m_statusPanel->setObjectName(u"statusPanel"_s);
    uisupport::reportFocusFirst(*m_hostField);
    uisupport::reportFocusFirst(*m_nicknameField);

    auto *teacher = new QGridLayout;
    teacher->addWidget(caption(wording::teacherAddress, *m_hostField), 0, 0);
    teacher->addWidget(m_hostField, 0, 1);
    teacher->addWidget(caption(wording::teacherPort, *m_portField), 0, 2);
    teacher->addWidget(m_portField, 0, 3);
    teacher->addWidget(caption(wording::nickname, *m_nicknameField), 1, 0);
    teacher->addWidget(m_nicknameField, 1, 1);
    teacher->addWidget(m_connectButton, 1, 2);
    teacher->addWidget(m_leaveButton, 1, 3);
    auto *entry = new QHBoxLayout;
    QPushButton *sendButton = button(wording::send, u"sendButton"_s);
    QPushButton *composeButton = button(wording::writeMessage, u"composeButton"_s);
    entry->addWidget(m_chatEntry, 1);
    entry->addWidget(sendButton);
    entry->addWidget(composeButton);
    auto *status = new QStatusBar;
    status->addWidget(m_statusPanel, 1);
    status->setSizeGripEnabled(false);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(teacher);
    layout->addWidget(m_chatLog, 1);
    layout->addLayout(entry);
    layout->addWidget(status);
    resize(460, 520);

    connect(m_connectButton, &QPushButton::clicked, this, &StudentWindow::connectClicked);
    connect(m_leaveButton, &QPushButton::clicked, &m_link, &studentlink::TeacherLink::leave);
    connect(sendButton, &QPushButton::clicked, this, &StudentWindow::sendClicked);
    connect(m_chatEntry, &QLineEdit::returnPressed, this, &StudentWindow::sendClicked);
    connect(composeButton, &QPushButton::clicked, this, &StudentWindow::composeRequested);
    showState(studentlink::LinkState::Idle, studentlink::LinkProblem::None, {}, 0);
}

void StudentWindow::setTeacher(const QString &host, quint16 port)
{
    m_hostField->setText(host);
    m_portField->setValue(port);
}

void StudentWindow::setNickname(const QString &nickname)
{
    m_nicknameField->setText(nickname);
}

QString StudentWindow::nickname() const
{
    return m_nicknameField->text();
}

void StudentWindow::setAttentionRequester(std::function<void(QWidget &)> request)
{
    m_chat->setAttentionRequester(std::move(request));
}

void StudentWindow::connectClicked()
{
    const QString host = m_hostField->text().trimmed();
    const auto port = quint16(m_portField->value());
    emit teacherChosen(host, port, nickname());
    m_link.connectTo(host, port);
}

void StudentWindow::sendClicked()
{
    m_chat->sendEntry(nickname(), [this](const QString &line) {
        m_link.sendChatLine(nickname(), line);
        return true;
    });
}

void StudentWindow::showState(studentlink::LinkState state, studentlink::LinkProblem problem,
                              const QString &reason, int retryInMs)
{
    const QString status = wording::linkStatus(state, problem, m_link.host(), m_link.port(),
                                               m_link.connectedSince(), reason, retryInMs);
    m_statusPanel->setStatus(status);
    // A label's new text is not announced: the student hears without looking for it that the
    // connection is made, and why it is not.
    if (state == studentlink::LinkState::Connected || problem != studentlink::LinkProblem::None)
        m_statusAnnouncer->announce(status);
    m_connectButton->setEnabled(state == studentlink::LinkState::Idle);
    m_leaveButton->setEnabled(state != studentlink::LinkState::Idle);
}

void StudentWindow::closeEvent(QCloseEvent *event)
{
    emit closing();
    QWidget::closeEvent(event);
}

void StudentWindow::appendChatLine(const QString &line)
{
    m_chat->lineArrived(line);
}

void StudentWindow::noteMessage(const QString &message)
{
    m_chat->noteArrival(uisupport::wording::messageSpoken(message));
}

} // namespace student
