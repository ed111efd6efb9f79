#pragma once

#include "sim/TimedWrite.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Holds the unit's writes until they are due. Writes due at the same moment
// leave in the order they were added.
class WriteScheduler {
public:
    using Clock = std::chrono::steady_clock;

    // Adds writes whose delays count from origin.
    void Add(Clock::time_point origin, const std::vector<TimedWrite>& writes);

    // Removes and returns, in order, every write due at or before now.
    std::vector<std::string> TakeDue(Clock::time_point now);

    // Milliseconds from now until the next write is due, rounded up and at
    // least 0; -1 when nothing is waiting (a poll() timeout).
    int MsUntilNext(Clock::time_point now) const;

    bool Empty() const { return pending_.empty(); }

private:
    std::multimap<Clock::time_point, std::string> pending_;
};

}  // namespace sim
