#pragma once

#include "link/WireTrace.h"
#include "sim/UnitBehaviour.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace sim {

// A recorded unit: answers each request the station sends with the chunks
// that followed the same request in a wire trace, with the recorded gaps
// (each chunk's delay is its time after the request in the recording). A
// request is matched on its exact bytes; when the station repeats a request,
// the recorded answers are used in their recorded order. A request the
// recording does not hold, or holds fewer times, gets no answer and is
// kept in Unanswered(). Chunks received before the first request are not
// replayed.
class ReplayUnit final : public UnitBehaviour {
public:
    explicit ReplayUnit(const std::vector<WireChunk>& trace);

    std::vector<TimedWrite> Receive(std::string_view bytes) override;

    // Requests that got no answer, in order, as they arrived.
    const std::vector<std::string>& Unanswered() const { return unanswered_; }

private:
    // The longest recorded request that `pending_` begins with, or nullptr.
    const std::string* RequestAtFront() const;
    bool PendingMayGrowIntoRequest() const;

    std::map<std::string, std::deque<std::vector<TimedWrite>>> answers_;
    std::string pending_;
    std::vector<std::string> unanswered_;
};

}  // namespace sim
