#include "host/tools/OptionTable.h"

#include <algorithm>

namespace tessel::host::tool {
namespace {

constexpr size_t kMaxNameColumn = 22;  // characters; longer names put their help on the next line
constexpr const char* kIndent = "  ";

bool LooksLikeOption(const std::string& argument) { return argument.size() > 1 && argument[0] == '-'; }

// "--block N", or the placeholder of a positional argument.
std::string Synopsis(const TRowText& row) {
    if (row.kind == TRowKind::Argument) return row.name;
    return row.kind == TRowKind::Switch ? row.name : row.name + ' ' + row.placeholder;
}

}  // namespace

std::string UsageText(const std::vector<TRowText>& rows) {
    std::string usage;
    for (const TRowText& row : rows) {
        if (!usage.empty()) usage += ' ';
        usage += row.kind == TRowKind::Argument ? row.name : '[' + Synopsis(row) + ']';
        if (row.repeatable) usage += "...";
    }
    return usage;
}

std::string OptionListText(const std::vector<TRowText>& rows) {
    size_t column = 0;
    for (const TRowText& row : rows)
        if (row.kind != TRowKind::Argument && Synopsis(row).size() <= kMaxNameColumn)
            column = std::max(column, Synopsis(row).size());
    const std::string continuation = kIndent + std::string(column + 2, ' ');
    std::string list;
    for (const TRowText& row : rows) {
        if (row.kind == TRowKind::Argument) continue;
        const std::string synopsis = Synopsis(row);
        list += kIndent + synopsis;
        if (synopsis.size() > column)
            list += '\n' + continuation;
        else
            list += std::string(column + 2 - synopsis.size(), ' ');
        for (const char c : row.help) list += c == '\n' ? '\n' + continuation : std::string(1, c);
        list += '\n';
    }
    return list;
}

TArgumentWalk::TArgumentWalk(std::vector<TRowText> rows, const std::vector<std::string>& arguments)
    : rows_(std::move(rows)), arguments_(arguments) {}

bool TArgumentWalk::Next() {
    if (!problem_.empty()) return false;
    if (next_ == arguments_.size()) {
        // Complete only when every positional argument came.
        size_t seen = 0;
        for (const TRowText& row : rows_)
            if (row.kind == TRowKind::Argument && seen++ == positional_) {
                problem_ = "no " + row.placeholder + " given";
                break;
            }
        return false;
    }
    const std::string& argument = arguments_[next_++];
    value_.clear();
    if (!LooksLikeOption(argument)) {
        size_t seen = 0;
        for (row_ = 0; row_ < rows_.size(); ++row_)
            if (rows_[row_].kind == TRowKind::Argument && seen++ == positional_) break;
        if (row_ == rows_.size()) {
            problem_ =
                seen == 1 ? "only one " + PositionalWhat() + " at a time" : "unexpected argument '" + argument + "'";
            return false;
        }
        ++positional_;
        value_ = argument;
        return true;
    }
    const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const TRowText& row) {
        return row.kind != TRowKind::Argument && row.name == argument;
    });
    if (found == rows_.end()) {
        problem_ = "unknown option " + argument;
        return false;
    }
    row_ = static_cast<size_t>(found - rows_.begin());
    if (found->kind == TRowKind::Value) {
        if (next_ == arguments_.size()) {
            problem_ = argument + " needs a value";
            return false;
        }
        value_ = arguments_[next_++];
    }
    return true;
}

std::string TArgumentWalk::PositionalWhat() const {
    for (const TRowText& row : rows_)
        if (row.kind == TRowKind::Argument) return row.placeholder;
    return "";
}

void TArgumentWalk::RefuseValue() {
    const TRowText& row = rows_[row_];
    problem_ = row.kind == TRowKind::Argument ? "cannot take " + row.placeholder + " '" + value_ + "'"
                                              : row.name + " takes " + row.expected + ", not '" + value_ + "'";
}

}  // namespace tessel::host::tool
