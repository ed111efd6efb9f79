#include "sim/ReplayUnit.h"

namespace sim {

ReplayUnit::ReplayUnit(const std::vector<WireChunk>& trace)
{
    std::vector<TimedWrite>* answer = nullptr;
    int64_t requestMs = 0;
    for (const WireChunk& chunk : trace) {
        if (chunk.direction == WireDirection::Sent) {
            answer = &answers_[chunk.bytes].emplace_back();
            requestMs = chunk.ms;
        } else if (answer) {
            const int64_t delay = chunk.ms > requestMs ? chunk.ms - requestMs : 0;
            answer->push_back({static_cast<int>(delay), chunk.bytes});
        }
    }
}

const std::string* ReplayUnit::RequestAtFront() const
{
    const std::string* found = nullptr;
    for (const auto& [request, queue] : answers_) {
        if (pending_.starts_with(request) && (!found || request.size() > found->size()))
            found = &request;
    }
    return found;
}

bool ReplayUnit::PendingMayGrowIntoRequest() const
{
    for (const auto& [request, queue] : answers_) {
        if (request.size() > pending_.size() && request.starts_with(pending_))
            return true;
    }
    return false;
}

std::vector<TimedWrite> ReplayUnit::Receive(std::string_view bytes)
{
    pending_ += bytes;
    std::vector<TimedWrite> writes;
    while (!pending_.empty()) {
        const std::string* request = RequestAtFront();
        if (!request && PendingMayGrowIntoRequest())
            break;  // the rest of a request is still on its way
        if (!request) {
            unanswered_.push_back(std::move(pending_));
            pending_.clear();
            break;
        }
        auto& queue = answers_.at(*request);
        if (queue.empty()) {
            unanswered_.push_back(*request);
        } else {
            writes.insert(writes.end(), queue.front().begin(), queue.front().end());
            queue.pop_front();
        }
        pending_.erase(0, request->size());
    }
    return writes;
}

}  // namespace sim
