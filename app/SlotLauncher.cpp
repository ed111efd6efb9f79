#include "app/SlotLauncher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/StationFont.h"

extern char** environ;

namespace {

constexpr double kScaleStep = 0.01;  // scales are tried in hundredths
// The signals the launcher passes on to its stations.
constexpr int kPassedSignals[] = {SIGTERM, SIGINT, SIGHUP};

int Hundredths(double scale)
{
    return static_cast<int>(std::floor(scale / kScaleStep + 1e-9));
}

// The largest scale, in hundredths, at which a window and its frame fit a
// cell: first the estimate from the window at scale 1, then down until the
// measured window fits (its font does not shrink exactly in proportion).
double FittingScale(const QSize& cell, const WindowSizeAt& window, const QSize& frame)
{
    const QSize full = window(1.0);
    const double across = static_cast<double>(cell.width() - frame.width()) / full.width();
    const double down = static_cast<double>(cell.height() - frame.height()) / full.height();
    for (int steps = std::min(Hundredths(1.0), Hundredths(std::min(across, down))); steps > Hundredths(kLeastWindowScale);
         --steps) {
        const double scale = steps * kScaleStep;
        const QSize size = window(scale) + frame;
        if (size.width() <= cell.width() && size.height() <= cell.height())
            return scale;
    }
    return kLeastWindowScale;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Starts one station with every signal unblocked; -1 when it cannot start.
pid_t SpawnStation(const std::string& program, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv = Pointers(arguments);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        std::fprintf(stderr, "rurizuda: cannot start %s: %s\n", program.c_str(), std::strerror(error));
        return -1;
    }
    return pid;
}

bool EndedWell(int status)
{
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ReportEnd(int slot, int status)
{
    if (WIFSIGNALED(status))
        std::fprintf(stderr, "rurizuda: the station of slot %d was ended by signal %d\n", slot, WTERMSIG(status));
    else if (!EndedWell(status))
        std::fprintf(stderr, "rurizuda: the station of slot %d ended with status %d\n", slot, WEXITSTATUS(status));
}

}  // namespace

SlotGrid PlanSlotGrid(int count, const QRect& screen, const WindowSizeAt& window, const QSize& frame)
{
    count = std::max(count, 1);
    SlotGrid grid;
    grid.scale = 0;
    for (int columns = 1; columns <= count; ++columns) {
        const int rows = (count + columns - 1) / columns;
        const double scale = FittingScale(QSize(screen.width() / columns, screen.height() / rows), window, frame);
        if (scale > grid.scale)
            grid = SlotGrid {columns, rows, scale, {}};
    }
    const QSize scaled = window(grid.scale) + frame;
    const int cellWidth = screen.width() / grid.columns;
    const int cellHeight = screen.height() / grid.rows;
    for (int i = 0; i < count; ++i) {
        const QPoint corner(screen.x() + (i % grid.columns) * cellWidth, screen.y() + (i / grid.columns) * cellHeight);
        grid.windows.emplace_back(corner, scaled);
    }
    return grid;
}

std::vector<SlotStart> SlotsToStart(const std::vector<std::string>& ports, const SlotMap& map, std::string& error)
{
    std::vector<SlotStart> starts;
    for (size_t i = 0; i < ports.size(); ++i)
        starts.push_back({static_cast<int>(i) + 1, ports[i]});
    if (ports.empty()) {
        for (const int slot : map.Configured())
            starts.push_back({slot, ""});
    }
    if (starts.empty())
        error = "no slot to start: [" + std::string(kSlotsSectionName) +
                "] of workstation.ini names no port (rurizuda --list-units shows the ports of the attached units)";
    return starts;
}

std::vector<std::string> SlotStationArguments(const SlotLaunch& launch, const SlotStart& slot, const QPoint& at,
                                              double scale)
{
    std::vector<std::string> arguments {"--slot", std::to_string(slot.slot), "--at",
                                        std::to_string(at.x()) + "," + std::to_string(at.y())};
    if (scale < 1.0) {
        char text[16];
        std::snprintf(text, sizeof text, "%.2f", scale);
        arguments.insert(arguments.end(), {"--scale", text});
    }
    const std::pair<const char*, const std::string*> valued[] = {
        {"--port", &slot.port}, {"--dir", &launch.stationDir}, {"--trace", &launch.wireTraceDir}};
    for (const auto& [option, value] : valued) {
        if (!value->empty()) {
            arguments.push_back(option);
            arguments.push_back(*value);
        }
    }
    if (launch.engineering)
        arguments.push_back("--engineering");
    return arguments;
}

LauncherSignals::LauncherSignals()
{
    sigemptyset(&waited_);
    sigaddset(&waited_, SIGCHLD);
    for (const int passed : kPassedSignals)
        sigaddset(&waited_, passed);
    pthread_sigmask(SIG_BLOCK, &waited_, &previous_);
}

LauncherSignals::~LauncherSignals()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

int RunSlotStations(const SlotLaunch& launch, const std::vector<SlotStart>& starts, const SlotGrid& grid,
                    const LauncherSignals& held)
{
    // The signals are taken with sigwaitinfo, so that no handler and no
    // global state are needed; stations start with none blocked.
    std::map<pid_t, int> running;  // process -> slot
    bool failed = false;
    for (size_t i = 0; i < starts.size() && i < grid.windows.size(); ++i) {
        const QPoint at = grid.windows[i].topLeft();
        const pid_t pid = SpawnStation(launch.program, SlotStationArguments(launch, starts[i], at, grid.scale));
        if (pid > 0)
            running[pid] = starts[i].slot;
        failed = failed || pid <= 0;
    }
    while (!running.empty()) {
        siginfo_t info {};
        const int signal = sigwaitinfo(&held.Waited(), &info);
        if (signal < 0)
            continue;  // EINTR
        if (signal != SIGCHLD) {
            for (const auto& [pid, slot] : running)
                kill(pid, signal);
            continue;
        }
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(-1, &status, WNOHANG)) > 0) {
            const auto found = running.find(ended);
            if (found == running.end())
                continue;
            ReportEnd(found->second, status);
            failed = failed || !EndedWell(status);
            running.erase(found);
        }
    }
    return failed ? 1 : 0;
}
