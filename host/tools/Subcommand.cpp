#include "host/tools/Subcommand.h"

#include <algorithm>
#include <cstring>
#include <iostream>

namespace tessel::host::tool {
namespace {

// Function-local so registrations in other files may run in any order.
std::vector<TSubcommand>& Registry() {
    static std::vector<TSubcommand> subcommands;
    return subcommands;
}

}  // namespace

const std::vector<TSubcommand>& Subcommands() { return Registry(); }

TSubcommandRegistration::TSubcommandRegistration(const TSubcommand& subcommand) {
    std::vector<TSubcommand>& subcommands = Registry();
    const auto place = std::lower_bound(
        subcommands.begin(), subcommands.end(), subcommand,
        [](const TSubcommand& a, const TSubcommand& b) { return std::strcmp(a.name, b.name) < 0; });
    subcommands.insert(place, subcommand);
}

int UsageError(const TSubcommand& subcommand, const std::string& problem) {
    if (!problem.empty()) std::cerr << "tessel-host " << subcommand.name << ": " << problem << '\n';
    std::cerr << "usage: tessel-host " << subcommand.name << ' ' << subcommand.usage << '\n';
    return kExitUsage;
}

int CommandHelp(const TSubcommand& subcommand, const char* details) {
    std::cout << "usage: tessel-host " << subcommand.name << ' ' << subcommand.usage << "\n\n"
              << subcommand.summary << "\n\n"
              << details;
    return kExitOk;
}

}  // namespace tessel::host::tool
