// bench-onekey: the full one-key test (every item on) against the unit
// simulator program in real time. Prints the wall time from pressing ONEKEY
// TEST to the verdict, the least time the timing contract allows for the
// exchanges that ran (every fixed sleep, 200 ms for every read that found
// nothing, the idle time until each window-timer tick), their ratio, and the
// station's CPU time over the wall time.
//
//   bench-onekey [--trace FILE]
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "bench/onekey/OneKeyRun.h"
#include "config/StationProfile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kSimulatorStartMs = 5000;

}  // namespace

int main(int argc, char* argv[])
{
    const char* tracePath = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--trace") == 0) {
        tracePath = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: bench-onekey [--trace FILE]\n");
        return 2;
    }

    ChildProcess simulator(SimulatorCommand());
    const std::string port = simulator.ReadLine(kSimulatorStartMs);
    if (port.empty()) {
        std::fprintf(stderr, "bench-onekey: the simulator did not start\n");
        return 1;
    }
    TempWorkDir dir;
    // Every item on, then the reboot after 3 s, as the example profile has it.
    std::ofstream(kStationProfileFileName) << ExampleProfile();

    const OneKeyFigures run = RunOneKeyTest(port);
    if (tracePath)
        std::ofstream(tracePath) << run.trace;
    std::printf("one-key test against the simulator, every item on\n");
    std::printf("  verdict:                     %s\n", run.verdict.c_str());
    std::printf("  sequence (press to wait):    %.1f ms\n", run.sequenceMs);
    std::printf("  wall time (press to verdict): %.1f ms\n", run.wallMs);
    std::printf("  timing contract least time:  %.1f ms\n", run.leastMs);
    std::printf("  ratio wall / least:          %.4f (target <= 1.01)\n", run.wallMs / run.leastMs);
    std::printf("  station CPU / wall:          %.3f %% (target <= 1 %%)\n", 100.0 * run.cpuMs / run.wallMs);
    for (const std::string& box : run.boxes)
        std::printf("  box: %s\n", box.c_str());
    return run.verdict == kOneKeyPassed ? 0 : (run.verdict == kOneKeyFailed ? 3 : 1);
}
