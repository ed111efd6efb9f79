#pragma once

#include <string>
#include <vector>

// The full one-key test (every item on) of one headless station against a
// unit on `port`, in real time, measured against the timing contract.

struct OneKeyFigures {
    std::string verdict;        // the one-key result box
    double sequenceMs = 0;      // press to the wait for the judgements
    double wallMs = 0;          // press to verdict
    double leastMs = 0;         // the least time the timing contract allows for what ran
    double cpuMs = 0;           // the station's CPU time during the run
    std::string trace;          // every wait with its least and actual duration
    std::vector<std::string> boxes;  // message boxes that came up
};

// Runs the test in the current directory, which must hold the profile; the
// station is `slot` (0: none). The scan fields get the example unit's labels.
OneKeyFigures RunOneKeyTest(const std::string& port, int slot = 0);

// The simulator program as the benchmarks run it: the unit answers at once,
// so a read that finds bytes measures the station rather than the unit; it
// reports its key half a second after the key test starts, so the report
// waits on the port when the first poll tick listens; it arrives locked to
// its network, as from the line before, so that UNLOCK passes.
std::vector<std::string> SimulatorCommand();

// workstation.ini of the example profile: every item on, the reboot after 3 s.
std::string ExampleProfile();

inline constexpr const char* kOneKeyPassed = "Onekey Test successfully!";
inline constexpr const char* kOneKeyFailed = "Failed in Onekey Test!";
