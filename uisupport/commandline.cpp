#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <utility>

using namespace Qt::StringLiterals;

namespace uisupport {
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

} // namespace

CommandLine readCommandLine(int argc, char *argv[], const char *usage, qsizetype maxArguments)
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

    const QString program = QCoreApplication::applicationName();
    QTextStream err(stderr);
    if (!parser.parse(arguments)) {
        err << program << ": " << parser.errorText() << '\n';
    } else if (parser.positionalArguments().size() > maxArguments) {
        err << program << ": unexpected argument '" << parser.positionalArguments().at(maxArguments)
            << "'\n";
    } else if (parser.isSet(help)) {
        QTextStream(stdout) << usage;
        return {{}, 0};
    } else if (parser.isSet(version)) {
        QTextStream(stdout) << program << ' ' << QCoreApplication::applicationVersion() << '\n';
        return {{}, 0};
    } else {
        return {parser.positionalArguments(), std::nullopt};
    }
    err << "Try '" << program << " --help' for more information.\n";
    return {{}, 2};
}

} // namespace uisupport
