#include "sim/WriteScheduler.h"

namespace sim {

void WriteScheduler::Add(Clock::time_point origin, const std::vector<TimedWrite>& writes)
{
    for (const TimedWrite& write : writes)
        pending_.emplace(origin + std::chrono::milliseconds(write.delayMs), write.bytes);
}

std::vector<std::string> WriteScheduler::TakeDue(Clock::time_point now)
{
    std::vector<std::string> due;
    const auto end = pending_.upper_bound(now);
    for (auto it = pending_.begin(); it != end; ++it)
        due.push_back(std::move(it->second));
    pending_.erase(pending_.begin(), end);
    return due;
}

int WriteScheduler::MsUntilNext(Clock::time_point now) const
{
    if (pending_.empty())
        return -1;
    const auto wait = pending_.begin()->first - now;
    if (wait <= Clock::duration::zero())
        return 0;
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
}

}  // namespace sim
