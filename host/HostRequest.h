// A request a plug-in sends through the host callback, and its record.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

#include "framework/VSTAbi.h"

namespace tessel::host {

// The callback's arguments exactly as the plug-in passed them.
struct THostRequest {
    AEffect* effect = nullptr;  // null for the version check made inside the entry point
    int32_t opcode = 0;
    int32_t index = 0;
    intptr_t value = 0;
    void* ptr = nullptr;  // the plug-in's memory; valid only during the call
    float opt = 0.0f;
};

// One recorded call. ptr is kept as an address only: what it pointed to is
// gone once the call returns, so texts worth asserting on are copied.
struct TRecordedCall : THostRequest {
    std::string text;        // audioMasterCanDo: the query text (bounded copy); otherwise empty
    intptr_t answer = 0;     // what the host answered
    std::thread::id thread;  // the plug-in's calling thread
    uint64_t sequence = 0;   // arrival order across all threads, from 0 (restarts after ClearCalls)
};

}  // namespace tessel::host
