#include "app/SlotState.h"

#include "station/ControlIds.h"
#include "station/StatusKinds.h"

void SlotState::OnPicture(int id, Picture picture, Clock::time_point now)
{
    switch (id) {
    case ctl::kPresenceLamp:
        // A unit that arrives is a new unit; the lamp shown again for the
        // same unit (REFRESH COM) changes nothing.
        if (picture == Picture::RedDisc || (picture == Picture::GreenDisc && presence_ != Picture::GreenDisc))
            phase_ = Phase::Waiting;
        presence_ = picture;
        break;
    case ctl::kMainLamp:
        mainLamp_ = picture;
        if (picture == Picture::Going && (phase_ == Phase::Waiting || phase_ == Phase::Stored)) {
            phase_ = Phase::Testing;
            testStarted_ = now;
        }
        break;
    case ctl::kOneKeyLamp:
        if (picture == Picture::Success)
            phase_ = Phase::Pass;
        else if (picture == Picture::Fail)
            phase_ = Phase::Fail;
        else if (picture == Picture::Blank)
            phase_ = Phase::Waiting;  // RETEST
        break;
    default:
        break;
    }
}

void SlotState::OnText(int id, const std::string& text)
{
    if (id == ctl::kResultBox && mainLamp_ == Picture::Success && text == kStoredStatusText)
        phase_ = Phase::Stored;
}

std::string SlotState::Text(Clock::time_point now) const
{
    switch (phase_) {
    case Phase::Waiting: return "Waiting";
    case Phase::Testing: {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - testStarted_).count();
        return "Testing " + std::to_string(seconds) + " s";
    }
    case Phase::Pass: return "PASS";
    case Phase::Fail: return "FAIL";
    case Phase::Stored: return "Stored";
    }
    return "";
}
