// A careless or hostile host: every request with null, zeroed and garbage
// arguments, out-of-range indices and non-finite numbers. The plug-in answers
// each one without crashing or touching memory outside what it was given
// (AddressSanitizer watches every buffer, each allocated at its exact size),
// and afterwards it still plays.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "host/PluginInstance.h"

namespace tessel {
namespace {

using host::TPluginInstance;

constexpr std::size_t kBufferBytes = 4096;
constexpr std::int32_t kFrames = 256;

// Requests whose Value is a pointer rather than a number.
bool ValueIsPointer(std::int32_t opcode) {
    return opcode == effSetSpeakerArrangement || opcode == effGetSpeakerArrangement;
}

// A block of host memory filled with one byte and ending in a zero, so that
// text requests still find the end of their string inside it.
struct THostBuffer {
    explicit THostBuffer(unsigned char fill) : bytes(kBufferBytes, fill) { bytes.back() = 0; }
    std::vector<unsigned char> bytes;
    void* Data() { return bytes.data(); }
};

// Plays a block of a sine and reports whether every output sample is finite.
bool PlaysFinite(TPluginInstance& plugin) {
    std::vector<float> inL(kFrames), inR(kFrames), outL(kFrames), outR(kFrames);
    for (std::size_t n = 0; n < inL.size(); ++n) inL[n] = inR[n] = 0.5f * std::sin(0.05f * static_cast<float>(n));
    float* in[] = {inL.data(), inR.data()};
    float* out[] = {outL.data(), outR.data()};
    plugin.ProcessReplacing(in, out, kFrames);
    for (std::size_t n = 0; n < outL.size(); ++n)
        if (!std::isfinite(outL[n]) || !std::isfinite(outR[n])) return false;
    return true;
}

TEST(HostileHost, EveryRequestWithBadArgumentsIsAnsweredSafely) {
    TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Open();
    AEffect* e = plugin.Effect();
    const std::int32_t params = e->numParams;

    const std::int32_t indices[] = {-1,
                                    0,
                                    1,
                                    params - 1,
                                    params,
                                    std::numeric_limits<std::int32_t>::max(),
                                    std::numeric_limits<std::int32_t>::min()};
    const intptr_t numbers[] = {
        0, 1, -1, 7, std::numeric_limits<intptr_t>::max(), std::numeric_limits<intptr_t>::min()};
    const float opts[] = {
        0.0f, 1.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity(), 1e30f};

    for (std::int32_t opcode = 0; opcode < kDispatcherOpcodeCount; ++opcode) {
        if (opcode == effClose) continue;  // ends the instance; its own tests cover it
        for (std::int32_t index : indices) {
            for (unsigned char fill : {0x00, 0xFF}) {
                THostBuffer buffer(fill), other(fill);
                for (float opt : opts) {
                    e->dispatcher(e, opcode, index, 0, nullptr, opt);
                    if (ValueIsPointer(opcode)) {
                        e->dispatcher(e, opcode, index, reinterpret_cast<intptr_t>(other.Data()), buffer.Data(), opt);
                        e->dispatcher(e, opcode, index, reinterpret_cast<intptr_t>(other.Data()), nullptr, opt);
                        e->dispatcher(e, opcode, index, 0, buffer.Data(), opt);
                        continue;
                    }
                    for (intptr_t value : numbers) {
                        // A chunk's Value is its byte count: a host never claims more than it passes.
                        if (opcode == effSetChunk && value > static_cast<intptr_t>(kBufferBytes)) continue;
                        e->dispatcher(e, opcode, index, value, nullptr, opt);
                        e->dispatcher(e, opcode, index, value, buffer.Data(), opt);
                    }
                }
            }
        }
    }
    // The record keeps what a host relies on.
    EXPECT_EQ(e->magic, kEffectMagic);
    EXPECT_EQ(e->numParams, params);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);

    plugin.MainsChanged(true);
    EXPECT_TRUE(PlaysFinite(plugin));

    // Back to a sane set-up, the plug-in plays as before.
    plugin.MainsChanged(false);
    plugin.SetSampleRate(44100.0f);
    plugin.SetBlockSize(kFrames);
    plugin.MainsChanged(true);
    EXPECT_TRUE(PlaysFinite(plugin));
}

TEST(HostileHost, DirectRoutinesRefuseBadIndicesNumbersAndBuffers) {
    TPluginInstance plugin(TESSEL_PLUGIN_PATH);
    plugin.Open();
    plugin.MainsChanged(true);
    AEffect* e = plugin.Effect();
    std::vector<float> before;
    for (std::int32_t i = 0; i < e->numParams; ++i) before.push_back(e->getParameter(e, i));

    for (std::int32_t index : {-1, e->numParams, std::numeric_limits<std::int32_t>::min()}) {
        e->setParameter(e, index, 0.5f);
        EXPECT_EQ(e->getParameter(e, index), 0.0f) << index;
    }
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()})
        for (std::int32_t i = 0; i < e->numParams; ++i) e->setParameter(e, i, bad);
    for (std::int32_t i = 0; i < e->numParams; ++i)
        EXPECT_EQ(e->getParameter(e, i), before[static_cast<std::size_t>(i)]) << i;

    // Null arrays and frame counts of zero or below are answered by doing nothing.
    std::vector<float> left(kFrames, 0.25f), right(kFrames, 0.25f);
    float* channels[] = {left.data(), right.data()};
    std::vector<double> leftD(kFrames, 0.25), rightD(kFrames, 0.25);
    double* channelsD[] = {leftD.data(), rightD.data()};
    for (std::int32_t frames : {0, -1, std::numeric_limits<std::int32_t>::min()}) {
        e->processReplacing(e, channels, channels, frames);
        e->processDoubleReplacing(e, channelsD, channelsD, frames);
        e->process(e, channels, channels, frames);
    }
    for (std::int32_t frames : {0, kFrames}) {
        e->processReplacing(e, nullptr, nullptr, frames);
        e->processDoubleReplacing(e, nullptr, nullptr, frames);
        e->process(e, nullptr, nullptr, frames);
        e->processReplacing(e, channels, nullptr, frames);
        e->processReplacing(e, nullptr, channels, frames);
    }
    EXPECT_EQ(left, std::vector<float>(kFrames, 0.25f));
    EXPECT_TRUE(PlaysFinite(plugin));
}

}  // namespace
}  // namespace tessel
