#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// What the latest one-key test did, item by item, for the unit's record.
struct OneKeyItemRun {
    std::string name;         // the item's [Onekey] key, e.g. "READMAC"
    int result = 1;           // 1 passed, 0 failed
    int64_t durationMs = 0;   // as measured by the device link's clock
    int64_t startMs = 0;      // the item's start after the test's, same clock
};

struct OneKeyRun {
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;  // the verdict or the early stop
    int64_t startedMs = 0;  // the start by the device link's clock
    std::vector<OneKeyItemRun> items;
};
