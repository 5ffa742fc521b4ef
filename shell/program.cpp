#include "program.h"

#include "consolewindow.h"
#include "guard.h"
#include "messagecomposer.h"
#include "messageviewer.h"
#include "splashwindow.h"
#include "wording.h"

#include <QApplication>

namespace shell {

Program::Program(quint16 port, int splashMs)
    : m_server(port), m_splash(std::make_unique<SplashWindow>(splashMs)),
      m_console(std::make_unique<ConsoleWindow>(m_server)),
      m_viewer(std::make_unique<MessageViewer>()),
      m_composer(std::make_unique<MessageComposer>(m_console->chatLink(),
                                                   [this] { return m_console->contactName(); }))
{
    if (!m_server.start()) {
        // Shown once the event loop runs, over the splash.
        QTimer::singleShot(0, m_console.get(), [port, reason = m_server.errorString()] {
            uisupport::errorBox(console::wording::portNotOpened(port, reason));
        });
    }
    QObject::connect(m_splash.get(), &SplashWindow::handOverDue, m_console.get(), &QWidget::show);
    QObject::connect(m_console.get(), &ConsoleWindow::shown, m_splash.get(),
                     &SplashWindow::stopHandOver);
    QObject::connect(m_console.get(), &ConsoleWindow::closing, m_splash.get(), &QWidget::close);
    QObject::connect(m_console.get(), &ConsoleWindow::composeRequested, m_composer.get(),
                     &MessageComposer::openEmpty);
    QObject::connect(m_viewer.get(), &MessageViewer::replyRequested, m_composer.get(),
                     &MessageComposer::openEmpty);
    QObject::connect(m_console.get(), &ConsoleWindow::messageArrived, m_viewer.get(),
                     &MessageViewer::present);
}

// The windows go in the reverse order of their making; the server's connections go last.
Program::~Program() = default;

int run(quint16 port)
{
    uisupport::guarded([port] {
        Program program(port);
        program.splash().show();
        QApplication::exec();
    });
    return 0;
}

} // namespace shell
