#pragma once

#include "chatrouter.h"
#include "chatserver.h"
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

// The server, the router over it and the four windows, created in start-up order (splash,
// console, viewer, composer) and wired together with signals. The server listens from the start,
// so clients can connect while the splash shows; a port it cannot listen on is reported once the
// event loop runs, and the operator may ask to try again.
//
// The splash is the application's main window: closing it quits the event loop. The console
// closes it as it closes itself, so closing the console ends the program whatever other window
// is open.
class Program
{
public:
    explicit Program(quint16 port, int splashMs = SplashWindow::kShowMs);
    ~Program();

    server::ChatServer &server() { return m_server; }
    server::ChatRouter &router() { return m_router; }
    SplashWindow &splash() { return *m_splash; }
    console::ConsoleWindow &console() { return *m_console; }
    messages::MessageViewer &viewer() { return *m_viewer; }
    messages::MessageComposer &composer() { return *m_composer; }

private:
    void retryListening();
    // Whether the server listens, in the console.
    void showListeningState();

    server::ChatServer m_server;
    server::ChatRouter m_router;
    std::unique_ptr<SplashWindow> m_splash;
    std::unique_ptr<console::ConsoleWindow> m_console;
    std::unique_ptr<messages::MessageViewer> m_viewer;
    std::unique_ptr<messages::MessageComposer> m_composer;
};

// The whole program: creates it, shows the splash, runs the event loop; returns 0. An error that
// escapes start-up is shown, and returns 1 once its box is dismissed.
int run(quint16 port);

} // namespace shell
