#pragma once

#include "sim/FaultTable.h"

namespace sim {

// Delay between a complete request line and the unit's answer.
inline constexpr int kDefaultAnswerDelayMs = 30;
// Gap between two writes that must reach the station as separate reads. The
// station sleeps up to 773 ms after a request before it reads, so anything
// shorter could arrive in the same read as the first part.
inline constexpr int kDefaultSeparateReadGapMs = 1000;

// How the simulated unit talks, as opposed to what it knows (UnitState).
struct SimOptions {
    bool echo = false;  // repeat each request line before answering it
    int answerDelayMs = kDefaultAnswerDelayMs;
    int separateReadGapMs = kDefaultSeparateReadGapMs;
    FaultTable faults;
};

}  // namespace sim
