#pragma once

#include <chrono>
#include <deque>
#include <string>

// Whether a slot's station that ended abnormally is started again: after
// kRestartDelay, as long as it has not been started again kMostRestarts
// times within the last kRestartWindow. Times are given by the caller, so
// the rule runs in virtual time as well as in real time.
class RestartBudget {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kRestartDelay {1000};
    static constexpr std::chrono::minutes kRestartWindow {10};
    static constexpr int kMostRestarts = 5;

    // The station ended abnormally at `now`: true when it is to be started
    // again (the restart is counted), false when the budget is spent.
    bool TakeRestart(Clock::time_point now);

private:
    std::deque<Clock::time_point> restarts_;
};

// Whether a station's wait status means it ended abnormally: by a signal or
// with a status other than 0. An operator's EXIT or close box ends it with 0.
bool EndedAbnormally(int waitStatus);

// Why a station ended, for the operator: "ended by signal 9 (Killed)",
// "ended with status 3".
std::string EndReason(int waitStatus);
