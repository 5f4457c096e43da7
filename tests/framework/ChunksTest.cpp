// Program and bank chunks: what the host gets, what it may send, and that a
// hostile bank can neither read outside its bytes nor half-load.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/framework/ParameterFixtures.h"

namespace tessel {
namespace {

using Bytes = std::vector<uint8_t>;
using Log = std::vector<std::string>;

// Two programs whose state is opaque: each stores `payload[index]` and logs what it loads.
class TChunkModule : public TVSTModule {
public:
    std::string_view ClassName() const override { return "TChunkModule"; }

    std::map<int32_t, Bytes> payload;
    Log log;

    intptr_t Dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr) {
        AEffect* effect = GetEffectRecord();
        return effect->dispatcher(effect, opcode, index, value, ptr, 0.0f);
    }
    Bytes Chunk(int32_t program) {
        auto& data = Programs()[program].ChunkData();
        return Bytes(data.Data(), data.Data() + data.Size());
    }

protected:
    void PublishMethods(TMethodTable& m) override {
        m.Publish<TChunkEvent>("StoreChunk", [this](TCustomVstProgram& p, int32_t i, bool preset) {
            log.push_back("store " + std::to_string(i) + (preset ? " preset" : " bank"));
            const auto& bytes = payload[i];
            p.ChunkData().Write(bytes.data(), bytes.size());
        });
        m.Publish<TChunkEvent>("LoadChunk", [this](TCustomVstProgram& p, int32_t i, bool preset) {
            log.push_back("load " + std::to_string(i) + (preset ? " preset" : " bank") + " " +
                          std::to_string(p.ChunkData().Size()) + "@" + std::to_string(p.ChunkData().Position()));
        });
        m.Publish<TGetChunkParameterEvent>("ChunkParameter", [](TBasicVSTModule&, int32_t i) {
            return 0.25f * static_cast<float>(i + 1);
        });
    }
};

const bool kChunkModuleRegistered = [] {
    using namespace stored;
    TStoredItem program{{Text("DisplayName", "Init"), Method("OnStoreChunk", "StoreChunk"),
                         Method("OnLoadChunk", "LoadChunk")}};
    return TStoredDescriptions::Register(
        {"TChunkModule",
         {Set("Flags", {"effFlagsProgramChunks"}), Collection("Programs", {program, program}),
          Collection("ParameterProperties", {TStoredItem{{Text("DisplayName", "Drive")}}}),
          Method("OnGetChunkParameter", "ChunkParameter")}});
}();

class Chunks : public ::testing::Test {
protected:
    void SetUp() override {
        module = CreateModule<TChunkModule>();
        module->payload[0] = {1, 2, 3};
        module->payload[1] = {};
    }
    std::unique_ptr<TChunkModule, TModuleDeleter> module;
};

TEST_F(Chunks, BankIsLengthAndBytesPerProgram) {
    void* address = nullptr;
    const auto size = module->Dispatch(effGetChunk, 0, 0, &address);
    ASSERT_EQ(size, 11);
    const Bytes bank(static_cast<uint8_t*>(address), static_cast<uint8_t*>(address) + size);
    EXPECT_EQ(bank, (Bytes{3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0}));
    EXPECT_EQ(module->log, (Log{"store 0 bank", "store 1 bank"}));
    EXPECT_EQ(module->BankChunkData(), bank);
}

TEST_F(Chunks, PresetIsTheCurrentProgramsBytesRewoundNotCleared) {
    void* address = nullptr;
    module->payload[0] = {9, 9, 9, 9, 9};
    EXPECT_EQ(module->Dispatch(effGetChunk, 1, 0, &address), 5);
    module->payload[0] = {7, 7};
    EXPECT_EQ(module->Dispatch(effGetChunk, 1, 0, &address), 5);
    EXPECT_EQ(module->Chunk(0), (Bytes{7, 7, 9, 9, 9}));
    EXPECT_EQ(address, module->Programs()[0].ChunkData().Data());
    EXPECT_EQ(module->Dispatch(effGetChunk, 1, 0, nullptr), 0);  // nowhere to put the address
}

TEST_F(Chunks, BankLoadsEveryProgramThenTheCurrentOneAgain) {
    Bytes bank{3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0};
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, static_cast<intptr_t>(bank.size()), bank.data()), 11);
    EXPECT_EQ(module->Chunk(0), (Bytes{1, 2, 3}));
    EXPECT_TRUE(module->Chunk(1).empty());
    EXPECT_EQ(module->log, (Log{"load 0 bank 3@0", "load 1 bank 0@0", "load 0 bank 3@0"}));
    EXPECT_TRUE(module->EditorNeedsUpdate());

    module->log.clear();
    Bytes preset{4, 5, 6, 7};
    EXPECT_EQ(module->Dispatch(effSetChunk, 1, 4, preset.data()), 4);
    EXPECT_EQ(module->Chunk(0), preset);
    EXPECT_EQ(module->log, (Log{"load 0 preset 4@0"}));
    EXPECT_EQ(module->Dispatch(effSetChunk, 1, 0, nullptr), 0);  // an empty preset is still a preset
    EXPECT_TRUE(module->Chunk(0).empty());
}

TEST_F(Chunks, HostileBanksLoadNothing) {
    Bytes marker{0xEE};
    module->Dispatch(effSetChunk, 0, 0, nullptr);  // too short for two lengths: ignored
    for (int32_t p = 0; p < 2; ++p) module->Programs()[p].ChunkData().Write(marker.data(), 1);
    module->log.clear();

    const std::vector<std::pair<const char*, Bytes>> banks = {
        {"negative length", {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}},
        {"length past the end", {100, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0}},
        {"second program missing", {3, 0, 0, 0, 1, 2, 3}},
        {"length cut short", {3, 0, 0, 0, 1, 2, 3, 0, 0}},
        {"empty", {}},
    };
    for (const auto& [what, bank] : banks) {
        Bytes copy = bank;
        copy.resize(bank.size() + 64, 0);  // readable bytes beyond the declared count must stay unread
        EXPECT_EQ(module->Dispatch(effSetChunk, 0, static_cast<intptr_t>(bank.size()), copy.data()), 0) << what;
    }
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, 11, nullptr), 0);
    Bytes good{3, 0, 0, 0, 1, 2, 3, 0, 0, 0, 0};
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, -1, good.data()), 0);
    EXPECT_EQ(module->Dispatch(effSetChunk, 1, -5, good.data()), 0);
    EXPECT_TRUE(module->log.empty());
    EXPECT_EQ(module->Chunk(0), marker);
    EXPECT_EQ(module->Chunk(1), marker);
}

TEST_F(Chunks, ValuesComeFromTheModuleInChunkMode) {
    EXPECT_EQ(module->Programs()[0].ParameterValues().Count(), 0u);
    module->Programs()[0].SetParameter(0, 1.0f);  // ignored in chunk mode
    EXPECT_EQ(module->ReadParameter(0), 0.25f);
    AEffect* effect = module->GetEffectRecord();
    EXPECT_EQ(effect->getParameter(effect, 0), 0.25f);
}

TEST(ChunkRequests, OutsideChunkModeAnswerZero) {
    auto module = CreateModule<test::TParameterModule>();
    void* address = nullptr;
    Bytes bank{0, 0, 0, 0};
    EXPECT_EQ(module->Dispatch(effGetChunk, 0, 0, &address), 0);
    EXPECT_EQ(address, nullptr);
    EXPECT_EQ(module->Dispatch(effSetChunk, 0, 4, bank.data()), 0);
}

}  // namespace
}  // namespace tessel
