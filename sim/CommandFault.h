#pragma once

#include <cstddef>
#include <optional>

namespace sim {

// A misbehaviour injected into the unit's answer to one request.
struct CommandFault {
    bool noAnswer = false;                // the command runs, its answer is lost
    bool errorAnswer = false;             // the command is refused with an error reply
    std::optional<std::size_t> splitAt;   // the first answer write is cut in two here
    int extraDelayMs = 0;                 // added to the answer delay

    bool operator==(const CommandFault&) const = default;
};

}  // namespace sim
