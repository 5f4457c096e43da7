// Program and bank chunks: what the host gets, what it may send, and that a
// hostile bank can neither read outside its bytes nor half-load.

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/framework/ParameterFixtures.h"

namespace tessel {
namespace {

using Bytes = std::vector<uint8_t>;
using Log = std::vector<std::string>;

// Two programs with opaque state: each stores `payload[index]` and logs what it loads.
class TChunkModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TChunkModule"; }
    std::map<int32_t, Bytes> payload{{0, {1, 2, 3}}, {1, {}}};
    Log log;

    intptr_t Dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr) {
        return GetEffectRecord()->dispatcher(GetEffectRecord(), opcode, index, value, ptr, 0.0f);
    }
    Bytes Chunk(int32_t program) {
        auto& data = Programs()[program].ChunkData();
        return Bytes(data.Data(), data.Data() + data.Size());
    }

protected:
    void PublishMethods(TMethodTable& m) override {
        m.Publish<TChunkEvent>("StoreChunk", [this](TCustomVstProgram& p, int32_t i, bool preset) {
            log.push_back("store " + std::to_string(i) + (preset ? " preset" : " bank"));
            p.ChunkData().Write(payload[i].data(), payload[i].size());
        });
        m.Publish<TChunkEvent>("LoadChunk", [this](TCustomVstProgram& p, int32_t i, bool preset) {
            log.push_back("load " + std::to_string(i) + (preset ? " preset " : " bank ") +
                          std::to_string(p.ChunkData().Size()) + "@" + std::to_string(p.ChunkData().Position()));
        });
    }
};

const bool kChunkModuleRegistered = [] {
    using namespace stored;
    TStoredItem program{{Method("OnStoreChunk", "StoreChunk"), Method("OnLoadChunk", "LoadChunk")}};
    return TStoredDescriptions::Register(
        {"TChunkModule",
         {Set("Flags", {"effFlagsProgramChunks"}), Collection("Programs", {program, program}),
          Collection("ParameterProperties", {TStoredItem{}})}});
}();

const Bytes kBank{3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0};  // program 0: three bytes; program 1: none

TEST(Chunks, GettingTheBankAndAPreset) {
    auto module = CreateModule<TChunkModule>();
    EXPECT_EQ(module->Programs()[0].ParameterValues().Count(), 0u);  // chunk mode keeps no values
    void* address = nullptr;
    ASSERT_EQ(module->Dispatch(effGetChunk, 0, 0, &address), 11);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(address), static_cast<uint8_t*>(address) + 11), kBank);
    EXPECT_EQ(module->log, (Log{"store 0 bank", "store 1 bank"}));

    // A preset is rewound, not cleared: the handler overwrites from the start.
    module->payload[0] = {9, 9, 9, 9, 9};
    EXPECT_EQ(module->Dispatch(effGetChunk, 1, 0, &address), 5);
    module->payload[0] = {7, 7};
    EXPECT_EQ(module->Dispatch(effGetChunk, 1, 0, &address), 5);
    EXPECT_EQ(module->Chunk(0), (Bytes{7, 7, 9, 9, 9}));
    EXPECT_EQ(address, module->Programs()[0].ChunkData().Data());
    EXPECT_EQ(module->Dispatch(effGetChunk, 1, 0, nullptr), 0);  // nowhere to put the address
}

TEST(Chunks, SettingTheBankAndAPreset) {
    auto module = CreateModule<TChunkModule>();
    Bytes bank = kBank;
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, 11, bank.data()), 11);
    EXPECT_EQ(module->Chunk(0), (Bytes{1, 2, 3}));
    EXPECT_TRUE(module->Chunk(1).empty());
    EXPECT_EQ(module->log, (Log{"load 0 bank 3@0", "load 1 bank 0@0", "load 0 bank 3@0"}));
    EXPECT_TRUE(module->EditorNeedsUpdate());

    module->log.clear();
    Bytes preset{4, 5, 6, 7};
    EXPECT_EQ(module->Dispatch(effSetChunk, 1, 4, preset.data()), 4);
    EXPECT_EQ(module->Chunk(0), preset);
    EXPECT_EQ(module->log, (Log{"load 0 preset 4@0"}));
}

TEST(Chunks, HostileBanksLoadNothing) {
    auto module = CreateModule<TChunkModule>();
    const uint8_t marker = 0xEE;
    for (int32_t p = 0; p < 2; ++p) module->Programs()[p].ChunkData().Write(&marker, 1);
    const std::pair<const char*, Bytes> banks[] = {
        {"negative length", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
        {"length past the end", {100, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0}},
        {"second program missing", {3, 0, 0, 0, 1, 2, 3}},
        {"length cut short", {3, 0, 0, 0, 1, 2, 3, 0, 0}},
        {"empty", {}},
    };
    for (const auto& [what, bank] : banks) {
        Bytes readable = bank;
        readable.resize(bank.size() + 64, 0);  // bytes beyond the declared count must stay unread
        EXPECT_EQ(module->Dispatch(effSetChunk, 0, static_cast<intptr_t>(bank.size()), readable.data()), 0) << what;
    }
    Bytes good = kBank;
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, 11, nullptr), 0);
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, -1, good.data()), 0);
    EXPECT_EQ(module->Dispatch(effSetChunk, 1, -5, good.data()), 0);
    EXPECT_TRUE(module->log.empty());
    EXPECT_EQ(module->Chunk(0), Bytes{marker});
    EXPECT_EQ(module->Chunk(1), Bytes{marker});
}

TEST(Chunks, OutsideChunkModeRequestsAnswerZero) {
    auto module = CreateModule<test::TParameterModule>();
    void* address = nullptr;
    Bytes bank = kBank;
    EXPECT_EQ(module->Dispatch(effGetChunk, 0, 0, &address), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, 11, bank.data()), 0);
}

}  // namespace
}  // namespace tessel
