#pragma once

#include "sim/UnitSimulator.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace sim::test {

// Options that answer at once, so a test sees only the delays it sets up.
inline SimOptions Immediate()
{
    SimOptions options;
    options.answerDelayMs = 0;
    return options;
}

// The station's wire form of a request.
inline std::string Line(std::string_view request)
{
    return "AT" + std::string(request) + "\r\n";
}

inline std::string Joined(const std::vector<TimedWrite>& writes)
{
    std::string bytes;
    for (const TimedWrite& write : writes)
        bytes += write.bytes;
    return bytes;
}

// Sends one request and returns everything the unit writes in answer.
inline std::string Ask(UnitSimulator& unit, std::string_view request)
{
    return Joined(unit.Receive(Line(request)));
}

inline bool DelaysNonDecreasing(const std::vector<TimedWrite>& writes)
{
    return std::is_sorted(writes.begin(), writes.end(),
                          [](const TimedWrite& a, const TimedWrite& b) { return a.delayMs < b.delayMs; });
}

}  // namespace sim::test
