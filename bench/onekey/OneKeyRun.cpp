// The full one-key test of one headless station against the simulator
// program in real time, every wait written to a trace with the least time
// the timing contract allows for it.
#include "bench/onekey/OneKeyRun.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "bench/onekey/HeadlessWindow.h"
#include "link/Clock.h"
#include "link/SerialBackend.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"
#include "station/ControlIds.h"

namespace {

using Steady = std::chrono::steady_clock;

constexpr int kEmptyReadMs = 200;      // a read that finds nothing waits this long
constexpr double kMsPerSecond = 1000.0;

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

}  // namespace

OneKeyFigures RunOneKeyTest(const std::string& port, int slot)
{
    HeadlessWindow window;
    StationOptions options;
    options.fixedPort = port;
    options.slot = slot;
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

    // The window's timers, each tick at its due time, while `running` holds.
    auto runTimers = [&](const std::function<bool()>& running) {
        int id = 0;
        Steady::time_point due;
        while (running() && window.NextTimer(id, due)) {
            const auto idleFrom = Steady::now();
            std::this_thread::sleep_until(due);
            const double idle = std::max(0.0, std::chrono::duration<double, std::milli>(due - idleFrom).count());
            trace.Add("tick " + std::to_string(id), idle, MsSince(idleFrom));
            window.Fired(id);
            station.OnTimer(id);
        }
    };
    // The operator presses ONEKEY TEST; with the MES's go-ahead asked for,
    // the sequence runs at the validation timer's tick that reads it. Then
    // the operator judges the LED at once and the window's timers do the rest.
    station.OnCommand(ctl::kOneKeyTest);
    runTimers([&] { return window.Running(ctl::kUnitValidationTimer); });
    const double sequenceMs = MsSince(start);
    station.OnCommand(ctl::kLedPass);
    runTimers([&] { return window.Text(ctl::kOneKeyResultBox).empty(); });
    OneKeyFigures figures;
    figures.wallMs = MsSince(start);
    figures.cpuMs = CpuMs() - cpuBefore;
    figures.sequenceMs = sequenceMs;
    InstallSerialBackend(previousSerial);
    InstallClock(previousClock);
    LogClose();

    figures.verdict = window.Text(ctl::kOneKeyResultBox);
    figures.leastMs = trace.LeastMs();
    figures.trace = trace.Text();
    figures.boxes = window.boxes;
    return figures;
}

std::string ExampleProfile()
{
    std::ifstream in(EXAMPLE_PROFILE_PATH);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> SimulatorCommand()
{
    return {UNIT_SIM_PROGRAM, "--delay", "0", "--key-delay", "500", "--pn-locked"};
}
