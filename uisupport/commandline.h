#pragma once

#include <QStringList>
#include <optional>

namespace uisupport {

// What the command line of a windowed program asks, read before the application object exists so
// that --help and --version need no display. Qt's own options (-platform, -display, -style …) are
// left for the application object to take.
struct CommandLine
{
    QStringList arguments;         // the positional ones
    std::optional<int> exitStatus; // set when the program is to end here
};

// Prints the usage for --help, the application's name and version for --version, and refuses any
// other option, or more positional arguments than maxArguments, with status 2.
CommandLine readCommandLine(int argc, char *argv[], const char *usage, qsizetype maxArguments);

} // namespace uisupport
