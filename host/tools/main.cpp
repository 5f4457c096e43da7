// tessel-host: a command-line VST 2 host for inspecting and exercising plug-ins.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host/tools/Subcommand.h"

namespace {

using tessel::host::tool::Subcommands;

void PrintHelp(std::ostream& out) {
    out << "usage: tessel-host COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const auto& subcommand : Subcommands())
        out << "  " << subcommand.name << ' ' << subcommand.usage << "\n      " << subcommand.summary << '\n';
    out << "\nexit status: 0 success, 1 usage error, 2 the plug-in could not be loaded or cannot process,\n"
           "3 a file could not be read or written\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tessel::host::tool;
    if (argc < 2) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    const std::string command = argv[1];
    if (command == "help" || command == "--help" || command == "-h") {
        PrintHelp(std::cout);
        return kExitOk;
    }
    for (const TSubcommand& subcommand : Subcommands()) {
        if (command == subcommand.name) {
            const std::vector<std::string> arguments(argv + 2, argv + argc);
            return subcommand.run(arguments);
        }
    }
    std::cerr << "tessel-host: unknown command '" << command << "'\n";
    PrintHelp(std::cerr);
    return kExitUsage;
}
