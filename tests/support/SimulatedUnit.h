#pragma once

#include "sim/UnitSimulator.h"
#include "tests/support/VirtualTime.h"

// The simulated unit behind a scripted port, in virtual time: every request
// the station writes reaches the simulator, and its answers arrive on the
// port after their delays.
class SimulatedUnit {
public:
    explicit SimulatedUnit(ScriptedSerial& port, sim::UnitState state = {}, sim::SimOptions options = {});

    sim::UnitSimulator& Unit() { return unit_; }
    sim::UnitState& State() { return unit_.State(); }

private:
    sim::UnitSimulator unit_;
};
