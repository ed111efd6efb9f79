#pragma once

#include <string>

namespace sim {

// Bytes the unit writes to its AT port, due delayMs after the request line
// that caused them was complete.
struct TimedWrite {
    int delayMs = 0;
    std::string bytes;

    bool operator==(const TimedWrite&) const = default;
};

}  // namespace sim
