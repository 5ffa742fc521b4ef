// halcyra-client: a command-line client for checking a Halcyra server from a client PC.
//
//   halcyra-client [--nick NAME] [HOST] [PORT]
//
// Each line read from standard input goes out as a chat-line block ("M" + nick + ":" + line); a
// line starting with "/s " goes out as a message block, with "\n" in it standing for a line break.
// Every text received is printed as its tag, a space and the rest of the text.

#include "chatlink/block.h"
#include "chatlink/blockreader.h"
#include "chatlink/chatserver.h"
#include "chatlink/cp949.h"
#include "chatlink/errors.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const auto kMessagePrefix = "/s "_L1;

class Client : public QObject
{
public:
    Client(QString nick, QString host, quint16 port) : m_nick(std::move(nick))
    {
        connect(&m_socket, &QTcpSocket::connected, this, &Client::onConnected);
        connect(&m_socket, &QTcpSocket::readyRead, this, &Client::onReadyRead);
        m_settle.setSingleShot(true);
        m_settle.setInterval(chatlink::kTextSettleMs);
        connect(&m_settle, &QTimer::timeout, this, [this] {
            if (const auto text = m_reader.settle())
                print(*text);
        });
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
            if (!m_leaving)
                m_err << "halcyra-client: the server closed the connection" << Qt::endl;
            QCoreApplication::exit(0);
        });
        connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
            if (m_socket.state() == QAbstractSocket::ConnectedState)
                return;
            m_err << "halcyra-client: " << m_socket.errorString() << Qt::endl;
            QCoreApplication::exit(1);
        });
        m_socket.connectToHost(host, port);
    }

private:
    void onConnected()
    {
        m_err << "halcyra-client: connected to " << m_socket.peerAddress().toString() << ':'
              << m_socket.peerPort() << Qt::endl;
        m_stdin = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_stdin, &QSocketNotifier::activated, this, &Client::onInput);
    }

    void onInput()
    {
        char chunk[4096];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            m_stdin->setEnabled(false);
            if (!m_line.isEmpty())
                sendLine(std::exchange(m_line, {}));
            // Let queued blocks go out before leaving.
            m_leaving = true;
            m_socket.disconnectFromHost();
            if (m_socket.state() == QAbstractSocket::UnconnectedState)
                QCoreApplication::exit(0);
            return;
        }
        m_line.append(chunk, n);
        qsizetype end;
        while ((end = m_line.indexOf('\n')) >= 0) {
            QByteArray line = m_line.left(end);
            m_line.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            sendLine(line);
        }
    }

    void sendLine(const QByteArray &input)
    {
        const QString line = QString::fromUtf8(input);
        const QByteArray nick = chatlink::toCp949(m_nick);
        QByteArray text;
        if (line.startsWith(kMessagePrefix)) {
            QString body = line.sliced(kMessagePrefix.size());
            body.replace("\\n"_L1, "\r\n"_L1);
            text = chatlink::composeText(chatlink::kTagMessage, nick, chatlink::toCp949(body));
        } else {
            text = chatlink::composeText(chatlink::kTagChatLine, nick, chatlink::toCp949(line));
        }
        try {
            const chatlink::Block block = chatlink::buildBlock(text);
            m_socket.write(block.data(), block.size());
        } catch (const chatlink::Error &e) {
            m_err << "halcyra-client: not sent: " << e.text() << Qt::endl;
        }
    }

    // The server's texts are read by the same rules as the server reads its clients'.
    void onReadyRead()
    {
        for (const QByteArray &text : m_reader.feedAll(m_socket.readAll()))
            print(text);
        if (!m_reader.isHolding())
            m_settle.stop();
        else if (!m_settle.isActive())
            m_settle.start();
    }

    void print(QByteArrayView text)
    {
        m_out << chatlink::fromCp949(text.first(1)) << ' '
              << chatlink::fromCp949(QByteArrayView(text).sliced(1)) << Qt::endl;
    }

    QString m_nick;
    QTcpSocket m_socket;
    QSocketNotifier *m_stdin = nullptr;
    bool m_leaving = false;
    QByteArray m_line;
    chatlink::BlockReader m_reader;
    QTimer m_settle;
    QTextStream m_out{stdout};
    QTextStream m_err{stderr};
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"halcyra-client"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(HALCYRA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Sends chat lines and messages to a Halcyra server."_s);
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption nickOption(u"nick"_s, u"Nickname put before each line."_s, u"name"_s);
    parser.addOption(nickOption);
    parser.addPositionalArgument(u"host"_s, u"Server address (default 127.0.0.1)."_s, u"[host]"_s);
    parser.addPositionalArgument(u"port"_s, u"Server port (default 5000)."_s, u"[port]"_s);
    QTextStream err(stderr);
    const auto usageError = [&err] {
        err << "halcyra-client: usage: halcyra-client [--nick NAME] [HOST] [PORT]\n"
            << "Try 'halcyra-client --help' for more information." << Qt::endl;
        return 2;
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "halcyra-client: " << parser.errorText() << '\n';
        return usageError();
    }
    parser.process(app); // --help, --help-all and --version print and exit here

    const QStringList args = parser.positionalArguments();
    const QString host = args.value(0, u"127.0.0.1"_s);
    bool portOk = true;
    const quint16 port = args.size() > 1 ? args.at(1).toUShort(&portOk) : chatlink::kServerPort;
    if (args.size() > 2 || !portOk || port == 0)
        return usageError();

    Client client(parser.value(nickOption), host, port);
    return app.exec();
}
