// Every text a host can read — effect, vendor and product names, parameter
// names, labels, short labels and displays, program names — read on two
// threads while a third changes each of them. Hosts ask from UI, scanner and
// worker threads; a read must never see a text being replaced (this
// executable runs under ThreadSanitizer), and always one whole text.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/ScriptedHost.h"
#include "tests/framework/ModuleFixtures.h"

namespace tessel {
namespace {

constexpr int kRounds = 3000;

// Two versions of each text, short and long, so a replacement reallocates.
using TPair = std::array<const char*, 2>;
constexpr TPair kEffectNames = {"Echo", "A much longer effect name"};
constexpr TPair kVendorNames = {"Dravik", "Dravik Audio Instruments Ltd"};
constexpr TPair kProductNames = {"Tessel", "Tessel Equaliser Suite"};
constexpr TPair kParameterNames = {"Gain", "Output level trim"};
constexpr TPair kUnits = {"dB", "decibels"};
constexpr TPair kShortLabels = {"G", "Gain"};
constexpr TPair kProgramNames = {"Init", "Warm and round"};

class TTextModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TTextModule"; }
};

const bool kRegistered = [] {
    using namespace stored;
    TStoredItem parameter{{Float("Max", 100.0), Boolean("ReportVST2Properties", true)}};
    TStoredItem program{{Text("DisplayName", "Init")}};
    return TStoredDescriptions::Register(
        {"TTextModule",
         {Text("EffectName", kEffectNames[0]), Text("VendorName", kVendorNames[0]),
          Text("ProductName", kProductNames[0]), Collection("Programs", {program, program}),
          Collection("ParameterProperties", {parameter, parameter})}});
}();

std::set<std::string> Both(const TPair& pair) { return {pair[0], pair[1]}; }

TEST(TextConcurrency, HostTextsReadWhileAnotherThreadChangesThem) {
    host::TScriptedHost host;
    host.SetRecordLimit(0);
    auto module = CreateModule<TTextModule>();
    test::Connect(*module, host);
    AEffect* effect = module->GetEffectRecord();
    auto& parameters = module->ParameterProperties();
    for (int i = 0; i < 2; ++i) {
        parameters[i].SetDisplayName(kParameterNames[0]);
        parameters[i].SetUnits(kUnits[0]);
        parameters[i].SetShortLabel(kShortLabels[0]);
    }

    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int k = 0; k < kRounds; ++k) {
            const auto v = static_cast<std::size_t>(k % 2);
            module->SetEffectName(kEffectNames[v]);
            module->SetVendorName(kVendorNames[v]);
            module->SetProductName(kProductNames[v]);
            for (int i = 0; i < 2; ++i) {
                parameters[i].SetDisplayName(kParameterNames[v]);
                parameters[i].SetUnits(kUnits[v]);
                parameters[i].SetShortLabel(kShortLabels[v]);
            }
            char name[32];
            std::snprintf(name, sizeof name, "%s", kProgramNames[v]);
            effect->dispatcher(effect, effSetProgramName, 0, 0, name, 0.0f);
            module->SetCurrentProgramName(kProgramNames[1 - v]);
            effect->dispatcher(effect, effSetProgram, 0, k % 3 == 0 ? 1 : 0, nullptr, 0.0f);
            effect->setParameter(effect, k % 2, static_cast<float>(k % 101) / 100.0f);
        }
        stop.store(true);
    });

    const std::set<std::string> effectNames = Both(kEffectNames), vendorNames = Both(kVendorNames),
                                productNames = Both(kProductNames), parameterNames = Both(kParameterNames),
                                units = Both(kUnits), shortLabels = Both(kShortLabels),
                                programNames = Both(kProgramNames);
    const auto reader = [&] {
        std::vector<std::string> wrong;
        const auto read = [&](int32_t opcode, int32_t index, const std::set<std::string>* allowed) {
            char text[256] = {};
            effect->dispatcher(effect, opcode, index, 0, text, 0.0f);
            if (allowed && !allowed->count(text)) wrong.push_back(text);
            return std::string(text);
        };
        while (!stop.load()) {
            read(effGetEffectName, 0, &effectNames);
            read(effGetVendorString, 0, &vendorNames);
            read(effGetProductString, 0, &productNames);
            read(effGetProgramName, 0, &programNames);
            for (int32_t p = 0; p < 2; ++p) read(effGetProgramNameIndexed, p, &programNames);
            for (int32_t i = 0; i < 2; ++i) {
                read(effGetParamName, i, &parameterNames);
                read(effGetParamLabel, i, &units);
                const std::string display = read(effGetParamDisplay, i, nullptr);
                if (display.empty()) wrong.push_back("empty display");
                VstParameterProperties record{};
                effect->dispatcher(effect, effGetParameterProperties, i, 0, &record, 0.0f);
                if (!parameterNames.count(record.label)) wrong.push_back(record.label);
                if (!shortLabels.count(record.shortLabel)) wrong.push_back(record.shortLabel);
            }
        }
        return wrong;
    };
    std::vector<std::string> wrongA, wrongB;
    std::thread readerA([&] { wrongA = reader(); });
    std::thread readerB([&] { wrongB = reader(); });
    writer.join();
    readerA.join();
    readerB.join();
    EXPECT_TRUE(wrongA.empty()) << wrongA.size() << " torn or unknown texts, first: " << wrongA.front();
    EXPECT_TRUE(wrongB.empty()) << wrongB.size() << " torn or unknown texts, first: " << wrongB.front();
}

}  // namespace
}  // namespace tessel
