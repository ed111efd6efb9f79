#pragma once

#include <chrono>
#include <string>

#include "station/StationWindow.h"

// A slot's state, as its window's large label shows it to an operator who
// serves several fixtures, derived from what the controller shows in the
// window:
// - Waiting: no unit under test (none attached, a new unit, or RETEST);
// - Testing: from the first GOING of the main indicator while waiting or
//   after a store, with the seconds since;
// - PASS or FAIL: the one-key test's verdict, until RETEST, the next unit
//   or another verdict;
// - Stored: TEST FINISH stored the unit.
class SlotState {
public:
    using Clock = std::chrono::steady_clock;

    enum class Phase { Waiting, Testing, Pass, Fail, Stored };

    // The controller showed `picture` on the indicator `id` at `now`.
    void OnPicture(int id, Picture picture, Clock::time_point now);
    // The controller set the text of control `id`.
    void OnText(int id, const std::string& text);

    Phase Current() const { return phase_; }
    // "Waiting", "Testing 12 s", "PASS", "FAIL", "Stored".
    std::string Text(Clock::time_point now) const;

private:
    Phase phase_ = Phase::Waiting;
    Clock::time_point testStarted_ {};
    Picture presence_ = Picture::None;
    Picture mainLamp_ = Picture::None;
};
