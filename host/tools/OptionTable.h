// A subcommand's command line as one table: each row is an option or a
// positional argument, with the text --help shows for it and how its value
// is read into the subcommand's options. The same rows read the arguments
// and write the usage line and the option list.
//
//   const TOptionTable<TBenchOptions> rows = Join<TBenchOptions>({
//       {Argument("PLUGIN.so", "plug-in", &TBenchOptions::pluginPath)},
//       {Switch("--terse", "print only the figures", &TBenchOptions::terse)},
//       Within(&TBenchOptions::play, PlayOptionRows(true))});
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "host/tools/NumberArgument.h"

namespace tessel::host::tool {

enum class TRowKind { Argument, Switch, Value };

// What --help and the error messages say about a row.
struct TRowText {
    TRowKind kind = TRowKind::Value;
    std::string name;         // "--block"; for an argument its placeholder, "PLUGIN.so"
    std::string placeholder;  // the value's, "N"; for an argument what it is, "plug-in"
    std::string expected;     // what the value must be: "a number of frames from 1 to 65536"
    std::string help;         // one or more lines
    bool repeatable = false;
};

// Stores `value` (empty for a switch) into `options`; false when the value is unfit.
template <class TOptions>
using TTake = std::function<bool(TOptions& options, const std::string& value)>;

template <class TOptions>
struct TOptionRow {
    TRowText text;
    TTake<TOptions> take;
};

template <class TOptions>
using TOptionTable = std::vector<TOptionRow<TOptions>>;

// ---- Rows ----

// A positional argument, in the order the rows declare them.
template <class TOptions>
TOptionRow<TOptions> Argument(const char* placeholder, const char* what, std::string TOptions::*target) {
    return {{TRowKind::Argument, placeholder, what, "", "", false},
            [target](TOptions& options, const std::string& value) {
                options.*target = value;
                return true;
            }};
}

template <class TOptions>
TOptionRow<TOptions> Switch(const char* name, std::string help, bool TOptions::*target) {
    return {{TRowKind::Switch, name, "", "", std::move(help), false}, [target](TOptions& options, const std::string&) {
                options.*target = true;
                return true;
            }};
}

// An option with a value that `take` reads; `expected` says what it must be.
template <class TOptions>
TOptionRow<TOptions> Value(const char* name, const char* placeholder, std::string expected, std::string help,
                           TTake<TOptions> take) {
    return {{TRowKind::Value, name, placeholder, std::move(expected), std::move(help), false}, std::move(take)};
}

// The same, given as often as wanted ("[--set I=V]...").
template <class TOptions>
TOptionRow<TOptions> Repeatable(TOptionRow<TOptions> row) {
    row.text.repeatable = true;
    return row;
}

template <class TOptions>
TOptionRow<TOptions> Text(const char* name, const char* placeholder, std::string help, std::string TOptions::*target) {
    return Value<TOptions>(name, placeholder, "a text", std::move(help),
                           [target](TOptions& options, const std::string& value) {
                               options.*target = value;
                               return true;
                           });
}

// A whole number from `low` to `high`.
template <class TOptions, class TNumber>
TOptionRow<TOptions> Integer(const char* name, const char* placeholder, int64_t low, int64_t high, std::string expected,
                             std::string help, TNumber TOptions::*target) {
    return Value<TOptions>(name, placeholder, std::move(expected), std::move(help),
                           [=](TOptions& options, const std::string& value) {
                               const auto number = ParseInteger(value);
                               if (!number || *number < low || *number > high) return false;
                               options.*target = static_cast<TNumber>(*number);
                               return true;
                           });
}

// A finite real number that `fits`.
template <class TOptions>
TOptionRow<TOptions> Real(const char* name, const char* placeholder, bool (*fits)(double), std::string expected,
                          std::string help, double TOptions::*target) {
    return Value<TOptions>(name, placeholder, std::move(expected), std::move(help),
                           [=](TOptions& options, const std::string& value) {
                               const auto number = ParseReal(value);
                               if (!number || !fits(*number)) return false;
                               options.*target = *number;
                               return true;
                           });
}

// One of a few words; the placeholder lists them ("sine|sweep|noise").
template <class TOptions, class TChoice>
TOptionRow<TOptions> Choice(const char* name, std::initializer_list<std::pair<const char*, TChoice>> choices,
                            std::string help, TChoice TOptions::*target) {
    std::vector<std::pair<std::string, TChoice>> words(choices.begin(), choices.end());
    std::string placeholder;
    std::string expected;
    for (size_t i = 0; i < words.size(); ++i) {
        placeholder += (i == 0 ? "" : "|") + words[i].first;
        expected += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i].first;
    }
    TOptionRow<TOptions> row = Value<TOptions>(name, "", std::move(expected), std::move(help),
                                               [words, target](TOptions& options, const std::string& value) {
                                                   for (const auto& [word, choice] : words)
                                                       if (word == value) {
                                                           options.*target = choice;
                                                           return true;
                                                       }
                                                   return false;
                                               });
    row.text.placeholder = placeholder;
    return row;
}

// ---- Tables ----

// Rows written for a part of the options (say the play options every
// playing subcommand holds), lifted to the whole.
template <class TOptions, class TPart>
TOptionTable<TOptions> Within(TPart TOptions::*part, const TOptionTable<TPart>& rows) {
    TOptionTable<TOptions> lifted;
    for (const TOptionRow<TPart>& row : rows)
        lifted.push_back({row.text, [part, take = row.take](TOptions& options, const std::string& value) {
                              return take(options.*part, value);
                          }});
    return lifted;
}

template <class TOptions>
TOptionTable<TOptions> Join(std::initializer_list<TOptionTable<TOptions>> tables) {
    TOptionTable<TOptions> joined;
    for (const TOptionTable<TOptions>& table : tables) joined.insert(joined.end(), table.begin(), table.end());
    return joined;
}

// ---- Reading and help ----

// "PLUGIN.so [--seconds S] [--set I=V]... [--terse]", in the rows' order.
std::string UsageText(const std::vector<TRowText>& rows);
// One line per option (and continuation lines for longer help), aligned.
std::string OptionListText(const std::vector<TRowText>& rows);

template <class TOptions>
std::vector<TRowText> RowTexts(const TOptionTable<TOptions>& table) {
    std::vector<TRowText> texts;
    for (const TOptionRow<TOptions>& row : table) texts.push_back(row.text);
    return texts;
}

// Walks the arguments against the rows, without the options' type: which
// row each argument belongs to and with what value, or what is wrong.
class TArgumentWalk {
public:
    TArgumentWalk(std::vector<TRowText> rows, const std::vector<std::string>& arguments);

    // Moves to the next argument (with its value); false at the end or on a problem.
    bool Next();
    size_t Row() const { return row_; }
    const std::string& Value() const { return value_; }
    // After Next() answered false: the usage problem, or "" when the arguments were complete.
    const std::string& Problem() const { return problem_; }
    // Records that the current row's value was unfit.
    void RefuseValue();

private:
    std::string PositionalWhat() const;  // what the first positional argument is

    std::vector<TRowText> rows_;
    const std::vector<std::string>& arguments_;
    size_t next_ = 0;        // argument index
    size_t positional_ = 0;  // positional arguments taken
    size_t row_ = 0;
    std::string value_;
    std::string problem_;
};

// Reads `arguments` into `options` through the table, in order. A value
// option takes the next argument whatever it is; "-" alone is a positional
// argument. Answers the first usage problem, or "" when every argument
// fitted and every positional argument was given.
template <class TOptions>
std::string ReadArguments(const TOptionTable<TOptions>& table, const std::vector<std::string>& arguments,
                          TOptions& options) {
    TArgumentWalk walk(RowTexts(table), arguments);
    while (walk.Next())
        if (!table[walk.Row()].take(options, walk.Value())) walk.RefuseValue();
    return walk.Problem();
}

}  // namespace tessel::host::tool
