// How host tests steer the fake plug-in (FakePlugin.cpp).
#pragma once

#include <cstdint>

#include "framework/VSTAbi.h"

namespace tessel::host::test {

// effVendorSpecific with this index and ptr -> TForwardedRequest makes the
// fake send that request to its host and answer what the host answered.
inline constexpr int32_t kForwardToHost = TESSEL_FOURCC('F', 'w', 'd', '!');

struct TForwardedRequest {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

inline constexpr int32_t kFakeUniqueId = TESSEL_FOURCC('F', 'a', 'k', 'e');
inline constexpr int32_t kFakeParameterCount = 2;
// The bytes effGetChunk hands out.
inline constexpr char kFakeChunk[] = "fake-chunk";

}  // namespace tessel::host::test
