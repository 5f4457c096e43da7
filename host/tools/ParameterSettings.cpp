#include "host/tools/ParameterSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iostream>

#include "host/tools/Format.h"
#include "host/tools/NumberArgument.h"
#include "host/tools/ParameterTextSearch.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {
namespace {

constexpr size_t kMaxSuggestions = 8;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return text;
}

int Problem(const std::string& text) {
    std::cerr << "tessel-host: " << text << '\n';
    return kExitUsage;
}

bool TakeNormalised(TParameterSettings& settings, const std::string& value) {
    const auto assignment = SplitAssignment(value);
    const auto index = assignment ? ParseInteger(assignment->first) : std::nullopt;
    const auto normalised = assignment ? ParseReal(assignment->second) : std::nullopt;
    if (!index || !normalised || *index < 0 || *index > INT32_MAX || *normalised < 0.0 || *normalised > 1.0)
        return false;
    TParameterSetting setting;
    setting.index = static_cast<int32_t>(*index);
    setting.normalised = static_cast<float>(*normalised);
    settings.parameters.push_back(setting);
    return true;
}

bool TakeNatural(TParameterSettings& settings, const std::string& value) {
    const auto assignment = SplitAssignment(value);
    if (!assignment) return false;
    TParameterSetting setting;
    setting.natural = true;
    setting.name = assignment->first;
    setting.text = assignment->second;
    settings.parameters.push_back(setting);
    return true;
}

// The index NAME stands for, or a usage problem: "#I", else an exact
// name, else a name equal but for case; never a guess among several.
std::optional<int32_t> ResolveName(TPluginInstance& plugin, const std::string& name) {
    const int32_t count = std::max(plugin.Record().numParams, 0);
    if (name.size() > 1 && name[0] == '#') {
        const auto index = ParseInteger(name.substr(1));
        if (index && *index >= 0 && *index < count) return static_cast<int32_t>(*index);
        Problem("no parameter " + name + ": the plug-in has " + std::to_string(count) + " (#0 to #" +
                std::to_string(count - 1) + ")");
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (int32_t index = 0; index < count; ++index) names.push_back(plugin.GetParamName(index));
    std::vector<int32_t> matches;
    for (int32_t index = 0; index < count; ++index)
        if (names[static_cast<size_t>(index)] == name) matches.push_back(index);
    if (matches.empty())
        for (int32_t index = 0; index < count; ++index)
            if (Lower(names[static_cast<size_t>(index)]) == Lower(name)) matches.push_back(index);
    if (matches.size() == 1) return matches.front();

    if (matches.size() > 1) {
        std::string which;
        for (const int32_t index : matches) which += " #" + std::to_string(index);
        Problem("parameter name " + QuotedText(name) + " is ambiguous (" + which.substr(1) +
                "); give the index as --param '#I=TEXT'");
        return std::nullopt;
    }
    std::string similar;
    size_t suggested = 0;
    for (int32_t index = 0; index < count && suggested < kMaxSuggestions; ++index) {
        if (Lower(names[static_cast<size_t>(index)]).find(Lower(name)) == std::string::npos) continue;
        similar += ", " + QuotedText(names[static_cast<size_t>(index)]);
        ++suggested;
    }
    Problem("the plug-in has no parameter named " + QuotedText(name) +
            (similar.empty() ? std::string() : " (similar: " + similar.substr(2) + ")") +
            "; `tessel-host info PLUGIN.so` lists its parameters");
    return std::nullopt;
}

void ReportParameter(std::ostream& report, TPluginInstance& plugin, int32_t index, const char* how) {
    char normalised[32];
    std::snprintf(normalised, sizeof normalised, "%.6f", static_cast<double>(plugin.GetParameter(index)));
    std::string shown = plugin.GetParamDisplay(index);
    const std::string label = plugin.GetParamLabel(index);
    const auto first = shown.find_first_not_of(' ');
    shown = first == std::string::npos ? std::string() : shown.substr(first);
    if (!label.empty() && label != " ") shown += " " + label;
    report << "  #" << index << ' ' << QuotedText(plugin.GetParamName(index)) << " = " << shown << " (normalised "
           << normalised << ")" << how << '\n';
}

int ApplyText(TPluginInstance& plugin, const TParameterSetting& setting, std::ostream& report) {
    const auto index = ResolveName(plugin, setting.name);
    if (!index) return kExitUsage;
    const float before = plugin.GetParameter(*index);
    const intptr_t answer = plugin.String2Parameter(*index, setting.text);
    if (answer != 0 || plugin.GetParameter(*index) != before) {
        ReportParameter(report, plugin, *index, "");
        return kExitOk;
    }
    // The plug-in ignored the text (many do): look for the value it shows as the text.
    if (SetParameterByDisplay(plugin, *index, setting.text)) {
        ReportParameter(report, plugin, *index, "  [found by its display; the plug-in takes no text]");
        return kExitOk;
    }
    return Problem("cannot set " + QuotedText(plugin.GetParamName(*index)) + " (#" + std::to_string(*index) + ") to " +
                   QuotedText(setting.text) + ": the plug-in takes no text for it and shows no value as that text");
}

}  // namespace

TOptionTable<TParameterSettings> SettingOptionRows() {
    using T = TParameterSettings;
    return {
        Repeatable(Value<T>("--set", "I=V", "INDEX=VALUE with a parameter index and a normalised value from 0 to 1",
                            "parameter I to normalised value V (0..1)", TakeNormalised)),
        Repeatable(Value<T>("--param", "NAME=TEXT", "NAME=TEXT (a parameter name or #INDEX, and a natural value)",
                            "parameter NAME (or #I) to natural value TEXT (effString2Parameter;\n"
                            "for plug-ins that take no text, the value they show as TEXT)",
                            TakeNatural)),
        Integer<T>("--program", "N", 0, INT32_MAX, "a program number from 0", "select program N before the parameters",
                   &T::program),
    };
}

int ApplySettings(TPluginInstance& plugin, const TParameterSettings& settings, std::ostream& report) {
    if (settings.program) {
        const int32_t programs = plugin.Record().numPrograms;
        if (*settings.program >= programs)
            return Problem("no program " + std::to_string(*settings.program) + ": the plug-in has " +
                           std::to_string(std::max(programs, 0)) + " programs");
        plugin.SetProgram(*settings.program);
        report << "  program " << *settings.program << ' ' << QuotedText(plugin.GetProgramName()) << '\n';
    }
    for (const TParameterSetting& setting : settings.parameters) {
        if (setting.natural) {
            if (const int status = ApplyText(plugin, setting, report); status != kExitOk) return status;
            continue;
        }
        const int32_t count = plugin.Record().numParams;
        if (setting.index >= count)
            return Problem("no parameter #" + std::to_string(setting.index) + ": the plug-in has " +
                           std::to_string(std::max(count, 0)) + " parameters");
        plugin.SetParameter(setting.index, setting.normalised);
        ReportParameter(report, plugin, setting.index, "");
    }
    return kExitOk;
}

}  // namespace tessel::host::tool
