// halcyra-server: the chat server with its operator console.

#include "block.h"
#include "commandline.h"
#include "fonts.h"
#include "program.h"
#include "socketio.h"

#include <QApplication>
#include <QIcon>

using namespace Qt::StringLiterals;

namespace {

constexpr auto kUsage = "Usage: halcyra-server [OPTION]...\n"
                        "Runs the Halcyra chat server with its operator console; client programs\n"
                        "connect to it on TCP port 5000.\n"
                        "\n"
                        "  -h, --help     show this help and exit\n"
                        "  -v, --version  show the version and exit\n"
                        "\n"
                        "Qt's own options, such as -platform NAME, -display DISPLAY and\n"
                        "-style STYLE, are handed on to Qt. See halcyra-server(1).\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(u"halcyra-server"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(HALCYRA_VERSION));
    if (const auto status = uisupport::readCommandLine(argc, argv, kUsage, 0).exitStatus)
        return *status;

    server::socketio::raiseOpenFileLimit();
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
    return shell::run(wire::kServerPort);
}
