#pragma once

#include "sim/TimedWrite.h"

#include <string_view>
#include <vector>

namespace sim {

// What answers the station on the unit's AT port: the simulated unit, or a
// recorded unit replayed from a wire trace.
class UnitBehaviour {
public:
    virtual ~UnitBehaviour() = default;
    // Takes bytes as the station wrote them, in pieces of any size; returns
    // the unit's writes they cause, delays counted from now.
    virtual std::vector<TimedWrite> Receive(std::string_view bytes) = 0;
};

}  // namespace sim
