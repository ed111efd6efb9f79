// bench-onekey: the full one-key test (every item on) against the unit
// simulator program in real time. Prints the wall time from pressing ONEKEY
// TEST to the verdict, the least time the timing contract allows for the
// exchanges that ran (every fixed sleep, 200 ms for every read that found
// nothing, the idle time until each window-timer tick), their ratio, and the
// station's CPU time over the wall time.
//
//   bench-onekey [--trace FILE]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "bench/onekey/HeadlessWindow.h"
#include "link/Clock.h"
#include "link/SerialBackend.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"
#include "station/ControlIds.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kEmptyReadMs = 200;      // a read that finds nothing waits this long
constexpr int kSimulatorStartMs = 5000;
constexpr double kMsPerSecond = 1000.0;
constexpr const char* kPassed = "Onekey Test successfully!";
constexpr const char* kFailed = "Failed in Onekey Test!";

double MsSince(Steady::time_point start)
{
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

double CpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * kMsPerSecond + t.tv_usec / kMsPerSecond; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The trace of the run: every wait of the timing contract with what it
// must last at least and what it took.
class RunTrace {
public:
    explicit RunTrace(Steady::time_point start)
        : start_(start)
    {
    }

    void Add(const std::string& what, double leastMs, double tookMs)
    {
        leastMs_ += leastMs;
        out_ << static_cast<long>(MsSince(start_)) << " " << what << " least " << leastMs << " took " << tookMs
             << "\n";
    }

    double LeastMs() const { return leastMs_; }
    std::string Text() const { return out_.str(); }

private:
    Steady::time_point start_;
    double leastMs_ = 0;
    std::ostringstream out_;
};

// The system clock, with every sleep written to the trace.
class TracedClock final : public Clock {
public:
    explicit TracedClock(RunTrace& trace)
        : trace_(trace)
    {
    }
    void Sleep(int ms) override
    {
        const auto began = Steady::now();
        system_.Sleep(ms);
        trace_.Add("sleep " + std::to_string(ms), ms, MsSince(began));
    }
    int64_t NowMs() const override { return system_.NowMs(); }

private:
    RunTrace& trace_;
    SystemClock system_;
};

// The termios backend, with every read written to the trace.
class TracedSerial final : public SerialBackend {
public:
    TracedSerial(SerialBackend& real, RunTrace& trace)
        : real_(real)
        , trace_(trace)
    {
    }
    SerialHandle Open(const char* path, int baud) override { return real_.Open(path, baud); }
    void Close(SerialHandle handle) override { real_.Close(handle); }
    int Purge(SerialHandle handle) override { return real_.Purge(handle); }
    int Write(SerialHandle handle, const unsigned char* bytes, int count) override
    {
        return real_.Write(handle, bytes, count);
    }
    int Read(SerialHandle handle, unsigned char* dest, int maxCount) override
    {
        const auto began = Steady::now();
        const int count = real_.Read(handle, dest, maxCount);
        trace_.Add("read " + std::to_string(count), count == 0 ? kEmptyReadMs : 0, MsSince(began));
        return count;
    }

private:
    SerialBackend& real_;
    RunTrace& trace_;
};

std::string ExampleProfile()
{
    std::ifstream in(EXAMPLE_PROFILE_PATH);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

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

    // The unit answers at once, so a read that finds bytes measures the
    // station rather than the unit; it reports its key half a second after
    // the key test starts, so the report waits on the port when the first
    // poll tick listens.
    // The unit arrives locked, as from the line before: UNLOCK passes.
    ChildProcess simulator({UNIT_SIM_PROGRAM, "--delay", "0", "--key-delay", "500", "--pn-locked"});
    const std::string port = simulator.ReadLine(kSimulatorStartMs);
    if (port.empty()) {
        std::fprintf(stderr, "bench-onekey: the simulator did not start\n");
        return 1;
    }
    TempWorkDir dir;
    // Every item on, then the reboot after 3 s, as the example profile has it.
    std::ofstream(kStationProfileFileName) << ExampleProfile();

    HeadlessWindow window;
    StationOptions options;
    options.fixedPort = port;
    CRuriZudaDlg station(window, options);
    station.OnInitDialog();
    for (const auto& [field, label] : {std::pair {ctl::kScanMac, "A45E60C1229F"},
                                       {ctl::kScanImei, "867400012345678"},
                                       {ctl::kScanSn, "RZ26A0145871"},
                                       {ctl::kScanPcbaSn, "PB26A0145871"}})
        window.SetText(field, label);

    const auto start = Steady::now();
    RunTrace trace(start);
    TracedClock clock(trace);
    TracedSerial serial(CurrentSerialBackend(), trace);
    Clock* previousClock = InstallClock(&clock);
    SerialBackend* previousSerial = InstallSerialBackend(&serial);
    const double cpuBefore = CpuMs();

    // The operator presses ONEKEY TEST, then judges the LED at once; the
    // window's timers do the rest.
    station.OnCommand(ctl::kOneKeyTest);
    const double sequenceMs = MsSince(start);
    station.OnCommand(ctl::kLedPass);
    int id = 0;
    Steady::time_point due;
    while (window.Text(ctl::kOneKeyResultBox).empty() && window.NextTimer(id, due)) {
        const auto idleFrom = Steady::now();
        std::this_thread::sleep_until(due);
        const double idle = std::max(0.0, std::chrono::duration<double, std::milli>(due - idleFrom).count());
        trace.Add("tick " + std::to_string(id), idle, MsSince(idleFrom));
        window.Fired(id);
        station.OnTimer(id);
    }
    const double wallMs = MsSince(start);
    const double cpuMs = CpuMs() - cpuBefore;
    InstallSerialBackend(previousSerial);
    InstallClock(previousClock);
    LogClose();

    const std::string verdict = window.Text(ctl::kOneKeyResultBox);
    if (tracePath)
        std::ofstream(tracePath) << trace.Text();
    std::printf("one-key test against the simulator, every item on\n");
    std::printf("  verdict:                     %s\n", verdict.c_str());
    std::printf("  sequence (press to wait):    %.1f ms\n", sequenceMs);
    std::printf("  wall time (press to verdict): %.1f ms\n", wallMs);
    std::printf("  timing contract least time:  %.1f ms\n", trace.LeastMs());
    std::printf("  ratio wall / least:          %.4f (target <= 1.01)\n", wallMs / trace.LeastMs());
    std::printf("  station CPU / wall:          %.3f %% (target <= 1 %%)\n", 100.0 * cpuMs / wallMs);
    for (const std::string& box : window.boxes)
        std::printf("  box: %s\n", box.c_str());
    return verdict == kPassed ? 0 : (verdict == kFailed ? 3 : 1);
}
