// tessel-host info: everything a host can learn about a plug-in without playing it.
#include <cstring>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "framework/VSTCanDo.h"
#include "host/tools/Format.h"
#include "host/tools/OpenPlugin.h"
#include "host/tools/Subcommand.h"

namespace tessel::host::tool {
namespace {

constexpr int kLabelWidth = 22;

struct TInfoOptions {
    std::string path;
    bool dumpCalls = false;
    TOpenOptions open;
};

void Line(std::ostream& out, const std::string& label, const std::string& value) {
    out << "  " << std::left << std::setw(kLabelWidth) << label << ' ' << value << '\n';
}

// A text the plug-in wrote, with a note when it cannot fit the size the
// interface allows for it (`limitBytes` including the terminator).
std::string Text(const std::string& text, size_t limitBytes) {
    if (text.empty()) return "(empty)";
    std::string shown = QuotedText(text);
    if (text.size() >= limitBytes)
        shown += "  [" + std::to_string(text.size()) + " bytes; the interface allows " +
                 std::to_string(limitBytes - 1) + "]";
    return shown;
}

// For requests a plug-in answers 1 when it supports them.
std::string AnsweredText(const std::string& text, intptr_t answer, size_t limitBytes) {
    if (answer == 0 && text.empty()) return "(not answered)";
    std::string shown = Text(text, limitBytes);
    if (answer == 0) shown += "  [answered 0]";
    return shown;
}

std::string Number(intptr_t value) { return std::to_string(value); }

void PrintRecord(std::ostream& out, const TPluginInstance& plugin) {
    const AEffect& record = plugin.Record();
    out << "Record\n";
    Line(out, "magic", FourCharText(record.magic) + " (" + Hex32(record.magic) + ")");
    Line(out, "flags", Hex32(record.flags) + " (" + EffectFlagNames(record.flags) + ")");
    Line(out, "numPrograms", Number(record.numPrograms));
    Line(out, "numParams", Number(record.numParams));
    Line(out, "numInputs", Number(record.numInputs));
    Line(out, "numOutputs", Number(record.numOutputs));
    Line(out, "initialDelay", Number(record.initialDelay) + " samples");
    Line(out, "uniqueID", FourCharText(record.uniqueID) + " (" + Hex32(record.uniqueID) + ")");
    Line(out, "version", Number(record.version) + " (" + Hex32(record.version) + ")");
    std::ostringstream ratio;
    ratio << record.ioRatio;
    Line(out, "ioRatio", ratio.str());
    Line(out, "realQualities", Number(record.realQualities));
    Line(out, "offQualities", Number(record.offQualities));
    const auto present = [](const void* routine) { return routine ? "yes" : "no"; };
    Line(out, "routines",
         std::string("process ") + present(reinterpret_cast<const void*>(record.process)) + ", processReplacing " +
             present(reinterpret_cast<const void*>(record.processReplacing)) + ", processDoubleReplacing " +
             present(reinterpret_cast<const void*>(record.processDoubleReplacing)));
}

void PrintIdentity(std::ostream& out, TPluginInstance& plugin) {
    out << "Identity\n";
    intptr_t answer = 0;
    std::string text = plugin.GetEffectName(&answer);
    Line(out, "effect name", AnsweredText(text, answer, kVstMaxEffectNameLen));
    text = plugin.GetVendorString(&answer);
    Line(out, "vendor", AnsweredText(text, answer, kVstMaxVendorStrLen));
    text = plugin.GetProductString(&answer);
    Line(out, "product", AnsweredText(text, answer, kVstMaxProductStrLen));
    Line(out, "vendor version", Number(plugin.GetVendorVersion()));
    Line(out, "VST version", Number(plugin.GetVstVersion()));
    const intptr_t category = plugin.GetPlugCategory();
    Line(out, "category", Number(category) + " (" + PlugCategoryName(category) + ")");
    Line(out, "tail size", Number(plugin.GetTailSize()) + " samples");
}

void PrintCanDos(std::ostream& out, TPluginInstance& plugin) {
    out << "Can do\n";
    for (const TVstCanDoText& query : kVstCanDoTexts) {
        const std::string text(query.text);
        const intptr_t answer = plugin.CanDo(text);
        Line(out, text, Number(answer) + " (" + CanDoAnswerText(answer) + ")");
    }
}

void PrintPins(std::ostream& out, TPluginInstance& plugin, bool inputs) {
    const int32_t count = inputs ? plugin.Record().numInputs : plugin.Record().numOutputs;
    out << (inputs ? "Inputs" : "Outputs") << " (" << count << ")\n";
    for (int32_t pin = 0; pin < count; ++pin) {
        VstPinProperties properties{};
        const intptr_t answer =
            inputs ? plugin.GetInputProperties(pin, properties) : plugin.GetOutputProperties(pin, properties);
        const std::string label = "#" + std::to_string(pin);
        if (answer == 0) {
            Line(out, label, "(no pin properties)");
            continue;
        }
        const std::string longLabel(properties.label, strnlen(properties.label, sizeof properties.label));
        const std::string shortLabel(properties.shortLabel,
                                     strnlen(properties.shortLabel, sizeof properties.shortLabel));
        Line(out, label,
             "label " + QuotedText(longLabel) + ", short " + QuotedText(shortLabel) + ", flags " +
                 Number(properties.flags) + " (" + PinFlagNames(properties.flags) + ")");
    }
}

void PrintParameters(std::ostream& out, TPluginInstance& plugin) {
    const int32_t count = plugin.Record().numParams;
    out << "Parameters (" << count << ")\n";
    for (int32_t index = 0; index < count; ++index) {
        const std::string name = plugin.GetParamName(index);
        const std::string label = plugin.GetParamLabel(index);
        const std::string display = plugin.GetParamDisplay(index);
        std::ostringstream value;
        value << std::fixed << std::setprecision(6) << plugin.GetParameter(index);
        Line(out, "#" + std::to_string(index),
             "name " + Text(name, kVstMaxParamStrLen) + ", label " + Text(label, kVstMaxParamStrLen) + ", display " +
                 Text(display, kVstMaxParamStrLen) + ", value " + value.str());
    }
}

void PrintPrograms(std::ostream& out, TPluginInstance& plugin) {
    const int32_t count = plugin.Record().numPrograms;
    const intptr_t current = plugin.GetProgram();
    out << "Programs (" << count << ", current " << current << ")\n";
    for (int32_t program = 0; program < count; ++program) {
        intptr_t answer = 0;
        const std::string name = plugin.GetProgramNameIndexed(program, &answer);
        Line(out, "#" + std::to_string(program), AnsweredText(name, answer, kVstMaxProgNameLen));
    }
    Line(out, "current name", Text(plugin.GetProgramName(), kVstMaxProgNameLen));
}

int RunInfo(TInfoOptions& options);

const TCommand<TInfoOptions> kInfo{
    "info",
    "print the plug-in's record, names, capabilities, pins, parameters and programs "
    "(--calls: also every host callback it made)",
    "",
    Join<TInfoOptions>({
        {Switch<TInfoOptions>("--calls", "also list every host callback the plug-in made, in order",
                              &TInfoOptions::dumpCalls)},
        Within(&TInfoOptions::open, TOptionTable<TOpenOptions>{Text<TOpenOptions>(
                                        "--host-product", "TEXT", "the product string the host gives when asked",
                                        &TOpenOptions::productString)}),
        {Argument<TInfoOptions>("PLUGIN.so", "plug-in", &TInfoOptions::path)},
    }),
    nullptr,
    RunInfo};

int RunInfo(TInfoOptions& options) {
    auto host = std::make_shared<TScriptedHost>();
    std::unique_ptr<TPluginInstance> plugin = OpenPlugin(options.path, host, options.open);
    if (!plugin) return kExitLoadFailure;

    std::ostream& out = std::cout;
    out << "Plug-in " << options.path << " (entry point " << plugin->Library().EntryName() << ")\n";
    PrintRecord(out, *plugin);
    PrintIdentity(out, *plugin);
    PrintCanDos(out, *plugin);
    PrintPins(out, *plugin, true);
    PrintPins(out, *plugin, false);
    PrintParameters(out, *plugin);
    PrintPrograms(out, *plugin);
    plugin->Close();
    if (options.dumpCalls) out << "Host callback calls\n" << host->DumpCalls();
    return kExitOk;
}

const TSubcommandRegistration kInfoRegistration(kInfo);

}  // namespace
}  // namespace tessel::host::tool
