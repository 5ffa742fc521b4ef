// halcyra-student: the program a student runs to join the class.

#include "commandline.h"
#include "studentprogram.h"
#include "studentwindow.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

using namespace Qt::StringLiterals;

namespace {

constexpr auto kUsage = "Usage: halcyra-student [OPTION]... [HOST [PORT]]\n"
                        "Joins the class: connects to the Halcyra server on the teacher's PC\n"
                        "(HOST, a name or an IPv4 address, and PORT, 5000 unless given) to chat\n"
                        "and exchange messages with the teacher.\n"
                        "\n"
                        "  -h, --help     show this help and exit\n"
                        "  -v, --version  show the version and exit\n"
                        "\n"
                        "Qt's own options, such as -platform NAME and -style STYLE, are handed on\n"
                        "to Qt. See halcyra-student(1).\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(u"Halcyra"_s);
    QCoreApplication::setApplicationName(u"halcyra-student"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(HALCYRA_VERSION));
    const uisupport::CommandLine commandLine = uisupport::readCommandLine(argc, argv, kUsage, 2);
    if (commandLine.exitStatus)
        return *commandLine.exitStatus;
    bool portValid = true;
    const quint16 port =
        commandLine.arguments.size() > 1 ? commandLine.arguments.at(1).toUShort(&portValid) : 0;
    if (!portValid || (commandLine.arguments.size() > 1 && port == 0)) {
        QTextStream(stderr) << "halcyra-student: invalid port '" << commandLine.arguments.at(1)
                            << "'\nTry 'halcyra-student --help' for more information.\n";
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(u":/halcyra/halcyra-student.png"_s));
    student::StudentProgram program;
    if (!commandLine.arguments.isEmpty())
        program.window().setTeacher(commandLine.arguments.first(), port ? port : 5000);
    program.window().show();
    return QApplication::exec();
}
