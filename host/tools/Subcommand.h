// The subcommands of tessel-host. Each lives in its own source file in this
// folder, declares its command line once as an option table
// (OptionTable.h) and registers itself with a file-scope
// TSubcommandRegistration, so adding one touches no other file.
#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "host/tools/OptionTable.h"

namespace tessel::host::tool {

// kExitIoFailure: a sound or image file could not be read or written.
enum TExitCode : int { kExitOk = 0, kExitUsage = 1, kExitLoadFailure = 2, kExitIoFailure = 3 };

// A subcommand as `tessel-host` lists and runs it.
struct TSubcommand {
    std::string name;     // "info"
    std::string usage;    // arguments after the name: "[--calls] PLUGIN.so"
    std::string summary;  // one line for the help text
    // Runs with the arguments after the subcommand name; returns a TExitCode.
    std::function<int(const std::vector<std::string>& arguments)> run;
};

// A subcommand as its source file declares it.
template <class TOptions>
struct TCommand {
    const char* name;
    const char* summary;
    const char* details;  // for --help, between the summary and the option list; may be empty
    TOptionTable<TOptions> options;
    // Optional: completes the options once read (defaults that depend on
    // others, checks across options); answers a usage problem or "".
    std::string (*finish)(TOptions& options);
    int (*run)(TOptions& options);  // a TExitCode
};

// Every registered subcommand, sorted by name.
const std::vector<TSubcommand>& Subcommands();

// Prints "tessel-host NAME: PROBLEM" and "usage: tessel-host NAME USAGE" to
// stderr and returns kExitUsage.
int UsageError(const std::string& name, const std::string& usage, const std::string& problem);

// Prints the usage line, the summary, `details` and the option list to stdout.
void PrintCommandHelp(const std::string& name, const char* summary, const char* details,
                      const std::vector<TRowText>& rows);

// `--help` anywhere prints the help; otherwise the arguments are read
// through the table and the subcommand runs with them.
template <class TOptions>
int RunCommand(const TCommand<TOptions>& command, const std::vector<std::string>& arguments) {
    const std::vector<TRowText> rows = RowTexts(command.options);
    if (std::find(arguments.begin(), arguments.end(), "--help") != arguments.end()) {
        PrintCommandHelp(command.name, command.summary, command.details, rows);
        return kExitOk;
    }
    TOptions options;
    std::string problem = ReadArguments(command.options, arguments, options);
    if (problem.empty() && command.finish) problem = command.finish(options);
    if (!problem.empty()) return UsageError(command.name, UsageText(rows), problem);
    return command.run(options);
}

class TSubcommandRegistration {
public:
    // `command` must outlive the program's run: a file-scope object.
    template <class TOptions>
    explicit TSubcommandRegistration(const TCommand<TOptions>& command)
        : TSubcommandRegistration(TSubcommand{
              command.name, UsageText(RowTexts(command.options)), command.summary,
              [&command](const std::vector<std::string>& arguments) { return RunCommand(command, arguments); }}) {}
    explicit TSubcommandRegistration(TSubcommand subcommand);
};

}  // namespace tessel::host::tool
