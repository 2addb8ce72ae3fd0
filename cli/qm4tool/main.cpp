// qm4tool: batch work on scene files with the same core as QM4Edit.

#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "common/Version.h"

namespace {

void PrintUsage(std::ostream& out)
{
    bool first = true;
    for (const qm4tool::Command& c : qm4tool::AllCommands()) {
        out << (first ? "usage: " : "       ") << "qm4tool " << c.name << ' ' << c.usage << '\n';
        first = false;
    }
}

void PrintHelp()
{
    PrintUsage(std::cout);
    std::cout << '\n';
    for (const qm4tool::Command& c : qm4tool::AllCommands())
        std::cout << "  " << std::left << std::setw(14) << c.name << c.summary << '\n';
    std::cout << "\nExit status: 0 success, 1 the operation failed (message on stderr), 2 wrong usage.\n"
                 "Negative numbers are ordinary arguments. --version prints the version.\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage(std::cerr);
        return qm4tool::EXIT_USAGE;
    }
    const std::string name = argv[1];
    if (name == "--version") {
        std::cout << "qm4tool " << common::kVersion << '\n';
        return qm4tool::EXIT_OK;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        PrintHelp();
        return qm4tool::EXIT_OK;
    }
    const qm4tool::Command* command = qm4tool::FindCommand(name);
    if (!command) {
        std::cerr << "qm4tool: unknown command " << name << '\n';
        PrintUsage(std::cerr);
        return qm4tool::EXIT_USAGE;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << "usage: qm4tool " << command->name << ' ' << command->usage << '\n'
                      << "  " << command->summary << '\n';
            return qm4tool::EXIT_OK;
        }
    }
    return command->run(args);
}
