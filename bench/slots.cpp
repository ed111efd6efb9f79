// slots N: the full one-key test (every item on) on N headless stations at
// the same moment, one process per station as `rurizuda --slots` runs them,
// each against a simulator program of its own, all in one station folder.
// Prints, for 1 slot and for N: each slot's wall time against its
// timing-contract floor (target at most 1.01, as bench-onekey), the units
// per hour of the slots together and their ratio to one slot (target at
// least 3.9 for 4 slots), and the CPU time of all stations over the wall
// time (target at most 1 % per slot), and the slowest slot's wall time over
// the lone station's.
//
//   slots [N]     N from 1 to 8, default 4
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/onekey/OneKeyRun.h"
#include "config/SlotMap.h"
#include "config/StationProfile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kSimulatorStartMs = 5000;
constexpr int kDefaultSlots = 4;
constexpr double kMsPerHour = 3600.0 * 1000.0;

// What a station process reports; plain data, sent through a pipe.
struct SlotFigures {
    double wallMs = 0;
    double leastMs = 0;
    double cpuMs = 0;
    bool passed = false;
};

struct Round {
    std::vector<SlotFigures> slots;
    double wallMs = 0;  // from the common start to the last verdict
    bool complete = true;
};

[[noreturn]] void RunStation(const std::string& port, int slot, int start, int report)
{
    char ignored;
    (void)!read(start, &ignored, 1);  // returns when the parent closes its end
    const OneKeyFigures run = RunOneKeyTest(port, slot);
    const SlotFigures figures {run.wallMs, run.leastMs, run.cpuMs, run.verdict == kOneKeyPassed};
    _exit(write(report, &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures) ? 0 : 1);
}

Round RunRound(int count)
{
    Round round;
    std::vector<std::unique_ptr<ChildProcess>> simulators;
    std::vector<std::string> ports;
    for (int i = 0; i < count; ++i) {
        simulators.push_back(std::make_unique<ChildProcess>(SimulatorCommand()));
        ports.push_back(simulators.back()->ReadLine(kSimulatorStartMs));
        if (ports.back().empty()) {
            round.complete = false;
            return round;
        }
    }
    int start[2];
    if (pipe(start) != 0)
        std::exit(1);
    std::vector<pid_t> stations;
    std::vector<int> reports;
    for (int i = 0; i < count; ++i) {
        int report[2];
        if (pipe(report) != 0)
            std::exit(1);
        const pid_t pid = fork();
        if (pid == 0) {
            close(start[1]);
            close(report[0]);
            RunStation(ports[i], i + 1, start[0], report[1]);
        }
        close(report[1]);
        stations.push_back(pid);
        reports.push_back(report[0]);
    }
    close(start[0]);
    const auto began = Steady::now();
    close(start[1]);  // every station starts now
    for (int i = 0; i < count; ++i) {
        SlotFigures figures;
        round.complete = read(reports[i], &figures, sizeof figures) == static_cast<ssize_t>(sizeof figures)
                         && round.complete;
        close(reports[i]);
        round.slots.push_back(figures);
    }
    round.wallMs = std::chrono::duration<double, std::milli>(Steady::now() - began).count();
    for (const pid_t pid : stations)
        waitpid(pid, nullptr, 0);
    return round;
}

double UnitsPerHour(const Round& round)
{
    return static_cast<double>(round.slots.size()) * kMsPerHour / round.wallMs;
}

void PrintRound(const Round& round, const Round& lone)
{
    const double unitsPerHourOfOne = UnitsPerHour(lone);
    const int count = static_cast<int>(round.slots.size());
    std::printf("%d slot%s at once:\n", count, count == 1 ? "" : "s");
    double cpuMs = 0;
    for (int i = 0; i < count; ++i) {
        const SlotFigures& slot = round.slots[i];
        cpuMs += slot.cpuMs;
        std::printf("  slot %d: %s, wall %.1f ms, floor %.1f ms, ratio %.4f (target <= 1.01)\n", i + 1,
                    slot.passed ? "passed" : "NOT PASSED", slot.wallMs, slot.leastMs, slot.wallMs / slot.leastMs);
    }
    const double unitsPerHour = UnitsPerHour(round);
    std::printf("  all verdicts after %.1f ms: %.1f units per hour, %.3f times one slot%s\n", round.wallMs,
                unitsPerHour, unitsPerHour / unitsPerHourOfOne, count == 4 ? " (target >= 3.9)" : "");
    std::printf("  CPU of all stations / wall: %.3f %%, %.3f %% per slot (target <= 1 %% per slot)\n",
                100.0 * cpuMs / round.wallMs, 100.0 * cpuMs / round.wallMs / count);
    double slowestMs = 0;
    for (const SlotFigures& slot : round.slots)
        slowestMs = std::max(slowestMs, slot.wallMs);
    std::printf("  slowest slot / the lone station: %.4f\n", slowestMs / lone.slots.front().wallMs);
}

}  // namespace

int main(int argc, char* argv[])
{
    const int count = argc > 1 ? std::atoi(argv[1]) : kDefaultSlots;
    if (argc > 2 || !IsSlotNumber(count)) {
        std::fprintf(stderr, "usage: slots [N]   (N from 1 to %d, default %d)\n", kMaxSlots, kDefaultSlots);
        return 2;
    }
    TempWorkDir dir;
    std::ofstream(kStationProfileFileName) << ExampleProfile();
    std::printf("one-key test, every item on, one station process and one simulator per slot\n");
    const Round one = RunRound(1);
    if (!one.complete) {
        std::fprintf(stderr, "slots: a simulator or station failed\n");
        return 1;
    }
    PrintRound(one, one);
    if (count > 1) {
        const Round many = RunRound(count);
        if (!many.complete) {
            std::fprintf(stderr, "slots: a simulator or station failed\n");
            return 1;
        }
        PrintRound(many, one);
    }
    return 0;
}
