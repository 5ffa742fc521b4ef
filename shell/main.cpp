// halcyra-server: listens for clients on port 5000 and reports what they send on standard output.

#include "chatlink/chatlink.h"
#include "chatlink/chatserver.h"
#include "chatlink/views.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

// Writes everything the windows would show as lines on standard output.
class ConsoleViews : public chatlink::ClientListView,
                     public chatlink::IncomingView,
                     public chatlink::OperatorPrompt
{
public:
    void appendRow(const QString &text) override { print(u"client  "_s + text); }
    void removeRow(int row) override { print(u"left    row %1"_s.arg(row)); }
    int selectedRow() const override { return -1; }
    void appendChatLine(const QString &line) override { print(u"chat    "_s + line); }
    void presentMessage(const QString &message) override { print(u"message "_s + message); }
    void showMessage(const QString &text) override { print(u"notice  "_s + text); }
    void showError(const QString &text) override { print(u"error   "_s + text); }

private:
    void print(const QString &line) { m_out << line << Qt::endl; }
    QTextStream m_out{stdout};
};

} // namespace

int main(int argc, char *argv[])
{
    chatlink::raiseOpenFileLimit();
    QCoreApplication app(argc, argv);

    chatlink::ChatServer server(chatlink::kServerPort);
    ConsoleViews views;
    chatlink::ChatLink link(server, views, views, views);
    QObject::connect(&server, &chatlink::ChatServer::clientConnected, &link,
                     &chatlink::ChatLink::clientConnected);
    QObject::connect(&server, &chatlink::ChatServer::clientRead, &link,
                     &chatlink::ChatLink::clientRead);
    QObject::connect(&server, &chatlink::ChatServer::clientError, &link,
                     &chatlink::ChatLink::clientError);

    if (!server.start()) {
        QTextStream(stderr) << u"포트 %1을(를) 열 수 없습니다: %2"_s.arg(chatlink::kServerPort)
                                   .arg(server.errorString())
                            << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << u"listening on port %1"_s.arg(server.serverPort()) << Qt::endl;
    return app.exec();
}
