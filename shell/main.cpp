// halcyra-server: the chat server with its operator console.

#include "chatlink/block.h"
#include "chatlink/socketio.h"
#include "fonts.h"
#include "program.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QTextStream>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The command-line options of QGuiApplication and QApplication; they are left for the
// application object to take. The flag says whether the option takes a value.
constexpr std::pair<const char *, bool> kQtOptions[] = {
    {"platform", true},      {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true},
    {"qwindowicon", true},   {"qwindowtitle", true},
    {"reverse", false},      {"session", true},
    {"display", true},       {"geometry", true},
    {"style", true},         {"stylesheet", true},
    {"widgetcount", false},  {"testability", false},
    {"name", true},          {"title", true},
    {"icon", true},          {"visual", true},
    {"nograb", false},       {"dograb", false},
};

constexpr auto kUsage = "Usage: halcyra-server [OPTION]...\n"
                        "Runs the Halcyra chat server with its operator console; client programs\n"
                        "connect to it on TCP port 5000.\n"
                        "\n"
                        "  -h, --help     show this help and exit\n"
                        "  -v, --version  show the version and exit\n"
                        "\n"
                        "Qt's own options, such as -platform NAME, -display DISPLAY and\n"
                        "-style STYLE, are handed on to Qt. See halcyra-server(1).\n";

// Reads the command line before the application object exists, so that --help and --version
// need no display. Returns the exit status when the program is to end here.
std::optional<int> readCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    // Qt's options are single-dash words ("-platform"); ours work with one dash or two.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption version({u"v"_s, u"version"_s}, u"Show the version."_s);
    parser.addOption(help);
    parser.addOption(version);
    for (const auto &[name, takesValue] : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(),
                                  takesValue ? u"value"_s : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    QTextStream err(stderr);
    if (!parser.parse(arguments)) {
        err << "halcyra-server: " << parser.errorText() << '\n';
    } else if (!parser.positionalArguments().isEmpty()) {
        err << "halcyra-server: unexpected argument '" << parser.positionalArguments().first()
            << "'\n";
    } else if (parser.isSet(help)) {
        QTextStream(stdout) << kUsage;
        return 0;
    } else if (parser.isSet(version)) {
        QTextStream(stdout) << QCoreApplication::applicationName() << ' '
                            << QCoreApplication::applicationVersion() << '\n';
        return 0;
    } else {
        return std::nullopt;
    }
    err << "Try 'halcyra-server --help' for more information.\n";
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(u"halcyra-server"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(HALCYRA_VERSION));
    if (const std::optional<int> status = readCommandLine(argc, argv))
        return *status;

    chatlink::socketio::raiseOpenFileLimit();
    // The poll-based dispatcher re-arms socket notifiers far more cheaply than the GLib one,
    // which matters with one notification per block. The application object reads the variable
    // once; the operator's own setting is put back for the programs we start, the browser.
    const bool noGlibSet = qEnvironmentVariableIsSet("QT_NO_GLIB");
    const QByteArray noGlib = qgetenv("QT_NO_GLIB");
    qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    if (noGlibSet)
        qputenv("QT_NO_GLIB", noGlib);
    else
        qunsetenv("QT_NO_GLIB");
    QApplication::setWindowIcon(QIcon(u":/halcyra/halcyra.ico"_s));
    shell::installFontSubstitutes();
    return shell::run(chatlink::kServerPort);
}
