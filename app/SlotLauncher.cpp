#include "app/SlotLauncher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include <signal.h>

#include "app/SlotSupervisor.h"
#include "app/StationFont.h"

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
    SlotSupervisor supervisor(launch, held);
    for (size_t i = 0; i < starts.size() && i < grid.windows.size(); ++i)
        supervisor.Start(starts[i], grid.windows[i].topLeft(), grid.scale);
    return supervisor.Run();
}
