#pragma once

#include <chrono>
#include <optional>

// The station's states in the reference's resource state model.
enum class StationState {
    Idle,        // waiting for a unit (standby, no product)
    Processing,  // testing a unit (productive, regular work)
    Blocked,     // the MES refused the unit or did not answer (standby, no host)
    Down,        // the unit's port failed mid-test (unscheduled downtime)
    Off,         // the station is shutting down (non-scheduled, shutdown)
};

// The state's code as the reference writes a ResourceState ("2200").
const char* ResourceStateCode(StationState state);

struct StationStateChange {
    StationState oldState;
    std::chrono::milliseconds oldStateDuration;
    StationState newState;
};

// Where the station is in its state model and since when. Time is given
// with each call (a steady clock's, or a test's virtual one); the durations
// of the changes are whole milliseconds that add up to the time from the
// tracker's start to its latest change.
class StationStateTracker {
public:
    using Clock = std::chrono::steady_clock;

    StationStateTracker(StationState initial, Clock::time_point start);

    // Enters `next` at `now`: the change, or nothing when the station is in
    // that state already.
    std::optional<StationStateChange> Enter(StationState next, Clock::time_point now);
    StationState Current() const { return state_; }

private:
    StationState state_;
    Clock::time_point since_;
};
