#pragma once

#include "chatlink/chatserver.h"
#include "splashwindow.h"

#include <memory>

class ConsoleWindow;
class MessageComposer;
class MessageViewer;

namespace shell {

// The server and the four windows, created in start-up order (splash, console, viewer,
// composer) and wired together with signals; the server listens from the start, so clients can
// connect while the splash shows. A port the server cannot listen on is reported in a box once
// the event loop runs, and the program goes on without clients.
class Program
{
public:
    explicit Program(quint16 port, int splashMs = SplashWindow::kShowMs);
    ~Program();

    chatlink::ChatServer &server() { return m_server; }
    SplashWindow &splash() { return *m_splash; }
    ConsoleWindow &console() { return *m_console; }
    MessageViewer &viewer() { return *m_viewer; }
    MessageComposer &composer() { return *m_composer; }

private:
    chatlink::ChatServer m_server;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<ConsoleWindow> m_console;
    std::unique_ptr<MessageViewer> m_viewer;
    std::unique_ptr<MessageComposer> m_composer;
};

// The whole program: creates it, shows the splash, runs the event loop. Any error that escapes
// start-up is shown; returns 0 in every case.
int run(quint16 port);

} // namespace shell
