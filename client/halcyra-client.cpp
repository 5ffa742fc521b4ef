// halcyra-client: a command-line client for checking a Halcyra server from a client PC.
//
//   halcyra-client [--nick NAME] [HOST] [PORT]
//
// Each line read from standard input goes out as a chat-line block ("M" + nick + ":" + line); a
// line starting with "/s " goes out as a message block, with "\n" in it standing for a line break.
// Every chat line and message received is printed as its tag, a space and the rest of the text.
// The terminal is read and written in the locale's character set.

#include "block.h"
#include "cp949.h"
#include "errors.h"
#include "serverreader.h"
#include "terminal.h"
#include "texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTcpSocket>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const auto kMessagePrefix = "/s "_L1;

// Converts between Unicode and the terminal's character set.
class TerminalText
{
public:
    explicit TerminalText(const QByteArray &codeset)
    {
        const QByteArray name = codeset.toUpper().replace('-', "").replace('_', "");
        // EUC-KR is a subset of code page 949, so the wire's own conversion serves both.
        m_cp949 = name == "CP949" || name == "EUCKR" || name == "UHC";
        // The C locale's ASCII means a locale left unset rather than a terminal without Hangul.
        if (name != "ANSIX3.41968" && name != "USASCII") {
            m_encoder = QStringEncoder(codeset.constData(), QStringConverter::Flag::Stateless);
            m_decoder = QStringDecoder(codeset.constData(), QStringConverter::Flag::Stateless);
        }
        if (!m_encoder.isValid() || !m_decoder.isValid()) {
            m_encoder = QStringEncoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            m_decoder = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        }
    }

    QString decode(QByteArrayView bytes)
    {
        return m_cp949 ? wire::fromCp949(bytes) : QString(m_decoder.decode(bytes));
    }

    // Writes the line and a line break to standard output or error.
    void writeLine(std::FILE *stream, const QString &line)
    {
        QByteArray bytes = m_cp949 ? wire::toCp949(line) : QByteArray(m_encoder.encode(line));
        bytes.append('\n');
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
        std::fflush(stream);
    }

private:
    bool m_cp949 = false;
    QStringEncoder m_encoder;
    QStringDecoder m_decoder;
};

class Client : public QObject
{
public:
    Client(TerminalText &terminal, QString nick, const QString &host, quint16 port)
        : m_terminal(terminal), m_nick(std::move(nick))
    {
        connect(&m_socket, &QTcpSocket::connected, this, &Client::onConnected);
        // The server's texts are read as the student's program reads them.
        connect(&m_reader, &studentlink::ServerReader::chatLineArrived, this,
                [this](const QString &line) { print(u"M "_s + line); });
        connect(&m_reader, &studentlink::ServerReader::messageArrived, this,
                [this](const QString &message) { print(u"S "_s + message); });
        connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
            m_reader.finish(); // no more of a held text can come
            if (!m_leaving)
                notice(u"the server closed the connection"_s);
            QCoreApplication::exit(0);
        });
        connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
            if (m_socket.state() == QAbstractSocket::ConnectedState)
                return;
            notice(m_socket.errorString());
            QCoreApplication::exit(1);
        });
        // From the event loop: a connection that fails at once needs it running to end it.
        QMetaObject::invokeMethod(
            this, [this, host, port] { m_socket.connectToHost(host, port); }, Qt::QueuedConnection);
    }

private:
    void onConnected()
    {
        notice(u"connected to %1:%2"_s.arg(m_socket.peerAddress().toString())
                   .arg(m_socket.peerPort()));
        m_input = new terminal::InputReader(this);
        connect(m_input, &terminal::InputReader::received, this, &Client::onInput);
        connect(m_input, &terminal::InputReader::ended, this, &Client::onInputEnded);
    }

    void onInputEnded()
    {
        if (!m_line.isEmpty())
            sendLine(std::exchange(m_line, {}));
        // Let queued blocks go out before leaving.
        m_leaving = true;
        m_socket.disconnectFromHost();
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            QCoreApplication::exit(0);
    }

    void onInput(const QByteArray &bytes)
    {
        m_line.append(bytes);
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
        const QString line = m_terminal.decode(input);
        try {
            QByteArray text;
            if (line.startsWith(kMessagePrefix))
                text = wire::messageText(
                    m_nick, line.sliced(kMessagePrefix.size()).replace("\\n"_L1, "\n"_L1));
            else
                text = wire::chatLineText(m_nick, line);
            const wire::Block block = wire::buildBlock(text);
            m_socket.write(block.data(), block.size());
        } catch (const wire::SendError &error) {
            switch (error.failure()) {
            case wire::SendFailure::TooLong:
                notice(u"not sent: longer than %1 bytes in code page 949"_s.arg(wire::kBlockSize));
                break;
            case wire::SendFailure::Unencodable:
                notice(u"not sent: code page 949 has no "_s + error.characters());
                break;
            default:
                notice(u"not sent: it holds a control character"_s);
            }
        }
    }

    void print(const QString &text) { m_terminal.writeLine(stdout, text); }

    void notice(const QString &text) { m_terminal.writeLine(stderr, u"halcyra-client: "_s + text); }

    TerminalText &m_terminal;
    QString m_nick;
    QTcpSocket m_socket;
    terminal::InputReader *m_input = nullptr;
    bool m_leaving = false;
    QByteArray m_line;
    studentlink::ServerReader m_reader{m_socket};
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
    TerminalText tty(terminal::codeset());
    // Typed in the terminal, so in its character set, where Qt would take UTF-8.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(tty.decode(argv[i]));
    const auto usageError = [&tty] {
        tty.writeLine(stderr,
                      u"halcyra-client: usage: halcyra-client [--nick NAME] [HOST] [PORT]"_s);
        tty.writeLine(stderr, u"Try 'halcyra-client --help' for more information."_s);
        return 2;
    };
    if (!parser.parse(arguments)) {
        tty.writeLine(stderr, u"halcyra-client: "_s + parser.errorText());
        return usageError();
    }
    parser.process(arguments); // --help, --help-all and --version print and exit here

    const QStringList args = parser.positionalArguments();
    const QString host = args.value(0, u"127.0.0.1"_s);
    bool portOk = true;
    const quint16 port = args.size() > 1 ? args.at(1).toUShort(&portOk) : wire::kServerPort;
    if (args.size() > 2 || !portOk || port == 0)
        return usageError();

    Client client(tty, parser.value(nickOption), host, port);
    return app.exec();
}
