#include <clocale>
#include <cstring>
#include <exception>
#include <string>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "sonatag/version.h"

namespace {

using namespace sonatag::cli;

int Run(const Arguments& arguments, Console& console) {
    switch (arguments.command) {
        case Command::Help:
            console.out() += kHelp;
            return 0;
        case Command::Version:
            console.out() += sonatag::kVersion;
            console.out() += '\n';
            return 0;
        case Command::Show:
            return RunShow(arguments, console);
        case Command::Set:
            return RunSet(arguments, console);
        case Command::Undo:
            return RunUndo(arguments, console);
        case Command::Repair:
            return RunRepair(arguments, console);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Folders are walked in the name order of the user's language; nothing else follows the locale.
    std::setlocale(LC_COLLATE, "");
    Console console;
    Arguments arguments;
    try {
        arguments = ParseArguments(argc, argv);
    } catch (const UsageError& error) {
        console.Usage(error.what(), kUsage);
        return 2;
    }

    int status = 0;
    try {
        status = Run(arguments, console);
    } catch (const UsageError& error) {  // found once the command looks at what it is given
        console.Usage(error.what(), kUsage);
        return 2;
    } catch (const std::exception& error) {
        console.Error(error.what());
        status = 1;
    }
    console.Flush();
    if (console.outputError() != 0) {
        console.Error(std::string("cannot write the output: ") + std::strerror(console.outputError()));
        return 1;
    }
    return status;
}
