#include "host/tools/Subcommand.h"

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

TSubcommandRegistration::TSubcommandRegistration(TSubcommand subcommand) {
    std::vector<TSubcommand>& subcommands = Registry();
    const auto place = std::lower_bound(subcommands.begin(), subcommands.end(), subcommand,
                                        [](const TSubcommand& a, const TSubcommand& b) { return a.name < b.name; });
    subcommands.insert(place, std::move(subcommand));
}

int UsageError(const std::string& name, const std::string& usage, const std::string& problem) {
    if (!problem.empty()) std::cerr << "tessel-host " << name << ": " << problem << '\n';
    std::cerr << "usage: tessel-host " << name << ' ' << usage << '\n';
    return kExitUsage;
}

void PrintCommandHelp(const std::string& name, const char* summary, const char* details,
                      const std::vector<TRowText>& rows) {
    std::cout << "usage: tessel-host " << name << ' ' << UsageText(rows) << "\n\n" << summary << "\n\n";
    if (details != nullptr && details[0] != '\0') std::cout << details << '\n';
    const std::string options = OptionListText(rows);
    if (!options.empty()) std::cout << "Options:\n" << options;
}

}  // namespace tessel::host::tool
