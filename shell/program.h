#pragma once

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "splashwindow.h"

#include <memory>

namespace console {
class ConsoleWindow;
}
namespace messages {
class MessageComposer;
class MessageViewer;
} // namespace messages

namespace shell {

// The server, the chat link over it and the four windows, created in start-up order (splash,
// console, viewer, composer) and wired together with signals. The server listens from the start,
// so clients can connect while the splash shows; a port it cannot listen on is reported once the
// event loop runs, and the operator may ask to try again.
class Program
{
public:
    explicit Program(quint16 port, int splashMs = SplashWindow::kShowMs);
    ~Program();

    chatlink::ChatServer &server() { return m_server; }
    chatlink::ChatLink &link() { return m_link; }
    SplashWindow &splash() { return *m_splash; }
    console::ConsoleWindow &console() { return *m_console; }
    messages::MessageViewer &viewer() { return *m_viewer; }
    messages::MessageComposer &composer() { return *m_composer; }

private:
    void retryListening();
    void showListening();

    chatlink::ChatServer m_server;
    chatlink::ChatLink m_link;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<console::ConsoleWindow> m_console;
    std::unique_ptr<messages::MessageViewer> m_viewer;
    std::unique_ptr<messages::MessageComposer> m_composer;
};

// The whole program: creates it, shows the splash, runs the event loop. Any error that escapes
// start-up is shown; returns 0 in every case.
int run(quint16 port);

} // namespace shell
