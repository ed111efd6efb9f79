#include "mes/StationStateTracker.h"

const char* ResourceStateCode(StationState state)
{
    switch (state) {
    case StationState::Idle: return "2200";        // SBY_NoProduct
    case StationState::Processing: return "1100";  // PRD_RegularWork
    case StationState::Blocked: return "2500";     // SBY_NoHost
    case StationState::Down: return "5000";        // USD
    case StationState::Off: return "6500";         // NST_ShutdownAndStartup
    }
    return "2000";  // SBY
}

StationStateTracker::StationStateTracker(StationState initial, Clock::time_point start)
    : state_(initial)
    , since_(start)
{
}

std::optional<StationStateChange> StationStateTracker::Enter(StationState next, Clock::time_point now)
{
    if (next == state_)
        return std::nullopt;
    // Whole milliseconds, the rest carried into the next state, so the
    // durations add up to the time passed.
    const auto duration = std::chrono::duration_cast<std::chrono::milliseconds>(now - since_);
    const StationStateChange change {state_, std::max(duration, std::chrono::milliseconds(0)), next};
    since_ += change.oldStateDuration;
    state_ = next;
    return change;
}
