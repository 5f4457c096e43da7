// The subcommands of tessel-host. Each lives in its own source file in this
// folder and registers itself with a file-scope TSubcommandRegistration, so
// adding one touches no other file.
#pragma once

#include <string>
#include <vector>

namespace tessel::host::tool {

// kExitIoFailure: a sound or image file could not be read or written.
enum TExitCode : int { kExitOk = 0, kExitUsage = 1, kExitLoadFailure = 2, kExitIoFailure = 3 };

struct TSubcommand {
    const char* name;     // "info"
    const char* usage;    // arguments after the name: "[--calls] PLUGIN.so"
    const char* summary;  // one line for the help text
    // Runs with the arguments after the subcommand name; returns a TExitCode.
    int (*run)(const std::vector<std::string>& arguments);
};

// Every registered subcommand, sorted by name.
const std::vector<TSubcommand>& Subcommands();

class TSubcommandRegistration {
public:
    explicit TSubcommandRegistration(const TSubcommand& subcommand);
};

// Prints "usage: tessel-host NAME USAGE" to stderr and returns kExitUsage.
int UsageError(const TSubcommand& subcommand, const std::string& problem);

// For `tessel-host NAME --help`: prints the usage line, the summary and
// `details` to stdout and returns kExitOk.
int CommandHelp(const TSubcommand& subcommand, const char* details);

}  // namespace tessel::host::tool
