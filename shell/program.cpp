#include "program.h"

#include "consolewindow.h"
#include "guard.h"
#include "messagecomposer.h"
#include "messageviewer.h"
#include "splashwindow.h"
#include "wording.h"

#include <QApplication>

namespace shell {

using console::ConsoleWindow;
using messages::MessageComposer;
using messages::MessageViewer;

Program::Program(quint16 port, int splashMs)
    : m_server(port), m_router(m_server), m_splash(std::make_unique<SplashWindow>(splashMs)),
      m_console(std::make_unique<ConsoleWindow>(m_router)),
      m_viewer(std::make_unique<MessageViewer>()),
      m_composer(std::make_unique<MessageComposer>(
          [this](const QString &body) {
              m_router.sendMessage(m_console->selectedClient(), m_console->contactName(), body);
          },
          uisupport::wording::sendRefused))
{
    ConsoleWindow *console = m_console.get();
    MessageViewer *viewer = m_viewer.get();
    MessageComposer *composer = m_composer.get();
    SplashWindow *splash = m_splash.get();

    QObject::connect(&m_router, &server::ChatRouter::clientArrived, console,
                     &ConsoleWindow::confirmClient);
    QObject::connect(&m_router, &server::ChatRouter::chatLineArrived, console,
                     &ConsoleWindow::appendChatLine);
    QObject::connect(&m_router, &server::ChatRouter::messageArrived, viewer,
                     &MessageViewer::present);
    QObject::connect(&m_router, &server::ChatRouter::messageArrived, console,
                     &ConsoleWindow::noteMessage);
    QObject::connect(&m_router, &server::ChatRouter::connectionFailed, console,
                     &ConsoleWindow::reportConnectionFailure);
    QObject::connect(&m_router, &server::ChatRouter::clientDropped, console,
                     &ConsoleWindow::reportClientDropped);

    QObject::connect(splash, &SplashWindow::handOverDue, console, &QWidget::show);
    QObject::connect(console, &ConsoleWindow::shown, splash, &SplashWindow::stopHandOver);
    QObject::connect(console, &ConsoleWindow::closing, splash, &QWidget::close);
    QObject::connect(console, &ConsoleWindow::composeRequested, composer,
                     &MessageComposer::openEmpty);
    QObject::connect(viewer, &MessageViewer::replyRequested, composer, &MessageComposer::openEmpty);
    QObject::connect(console, &ConsoleWindow::listenRetryRequested, console,
                     [this] { retryListening(); });

    if (m_server.start())
        showListeningState();
    else // told once the event loop runs, so that the box comes over the splash
        QTimer::singleShot(0, console, [this] { showListeningState(); });
}

// The windows go in the reverse order of their making, then the router with its clients, then the
// server.
Program::~Program() = default;

void Program::retryListening()
{
    m_server.start();
    showListeningState();
}

void Program::showListeningState()
{
    if (m_server.isListening())
        m_console->showListening();
    else
        m_console->showNotListening(m_server.port(), m_server.errorString());
}

int run(quint16 port)
{
    const bool ran = uisupport::guarded([port] {
        Program program(port);
        program.splash().show();
        QApplication::exec();
    });
    if (ran)
        return 0;
    QApplication::exec(); // until the error's box is dismissed
    return 1;
}

} // namespace shell
