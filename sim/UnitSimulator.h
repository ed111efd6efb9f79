#pragma once

#include "sim/LineAssembler.h"
#include "sim/SimOptions.h"
#include "sim/TimedWrite.h"
#include "sim/UnitBehaviour.h"
#include "sim/UnitCommands.h"
#include "sim/UnitState.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// The unit as seen from its AT port. Bytes written by the station go in; the
// unit's writes come out with the delay after which each is due. Nothing here
// waits: the caller does the timing.
class UnitSimulator final : public UnitBehaviour {
public:
    explicit UnitSimulator(UnitState state = {}, SimOptions options = {});

    // Takes bytes as the station wrote them, in pieces of any size. Returns
    // the writes answering every request line these bytes completed, delays
    // counted from now and never decreasing. Lines that do not begin with
    // "AT" (any case) are ignored.
    std::vector<TimedWrite> Receive(std::string_view bytes) override;

    UnitState& State() { return state_; }
    const UnitState& State() const { return state_; }
    const SimOptions& Options() const { return options_; }

    // Every request received, without "AT" and line end, in order.
    const std::vector<std::string>& Requests() const { return requests_; }

private:
    std::vector<TimedWrite> AnswerLine(std::string_view request);
    Answer SplitFirstWrite(Answer answer, std::size_t offset) const;

    UnitState state_;
    SimOptions options_;
    LineAssembler lines_;
    UnitCommands commands_;
    std::vector<std::string> requests_;
};

}  // namespace sim
