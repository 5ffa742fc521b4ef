#include "studentprogram.h"

#include "block.h"
#include "inboxwindow.h"
#include "messagecomposer.h"
#include "studentwindow.h"
#include "studentwording.h"

#include <QCoreApplication>
#include <QSettings>

using namespace Qt::StringLiterals;

namespace student {
namespace {

const QString kHostKey = u"teacher/host"_s;
const QString kPortKey = u"teacher/port"_s;
const QString kNicknameKey = u"nickname"_s;

} // namespace

StudentProgram::StudentProgram()
    : m_window(std::make_unique<StudentWindow>(m_link)), m_inbox(std::make_unique<InboxWindow>()),
      m_composer(std::make_unique<messages::MessageComposer>(
          [this](const QString &body) { m_link.sendMessage(m_window->nickname(), body); },
          wording::sendRefused))
{
    m_composer->setCaptions({wording::composerTitle, wording::send, wording::sendDescription,
                             wording::clearMessage, wording::clearDescription,
                             wording::messageBodyDescription});
    const QSettings settings;
    m_window->setTeacher(settings.value(kHostKey).toString(),
                         quint16(settings.value(kPortKey, wire::kServerPort).toUInt()));
    m_window->setNickname(settings.value(kNicknameKey).toString());

    using studentlink::TeacherLink;
    QObject::connect(&m_link, &TeacherLink::stateChanged, m_window.get(),
                     &StudentWindow::showState);
    QObject::connect(&m_link, &TeacherLink::chatLineArrived, m_window.get(),
                     &StudentWindow::appendChatLine);
    QObject::connect(&m_link, &TeacherLink::messageArrived, m_inbox.get(), &InboxWindow::present);
    QObject::connect(&m_link, &TeacherLink::messageArrived, m_window.get(),
                     &StudentWindow::noteMessage);
    // Closing the main window ends the program, whatever other window is open: quitting closes
    // them all.
    QObject::connect(m_window.get(), &StudentWindow::closing, [this] {
        m_link.leave();
        QCoreApplication::quit();
    });
    QObject::connect(m_window.get(), &StudentWindow::composeRequested, m_composer.get(),
                     &messages::MessageComposer::openEmpty);
    QObject::connect(m_window.get(), &StudentWindow::teacherChosen,
                     [](const QString &host, quint16 port, const QString &nickname) {
                         QSettings settings;
                         settings.setValue(kHostKey, host);
                         settings.setValue(kPortKey, port);
                         settings.setValue(kNicknameKey, nickname);
                     });
}

// The windows go before the link they were given.
StudentProgram::~StudentProgram() = default;

} // namespace student
