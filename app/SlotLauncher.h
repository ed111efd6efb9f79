#pragma once

#include <functional>
#include <string>
#include <vector>

#include <signal.h>

#include <QRect>
#include <QSize>

#include "config/SlotMap.h"

// rurizuda --slots: one station process per slot, so that one slot's crash
// or hang never takes another down, their windows in a grid on the screen.

// Where the windows of the slots go: a grid of `columns` x `rows` cells,
// each window scaled by `scale` (at most 1; --scale of the station) so that
// windows and their frames fit their cells without overlap.
struct SlotGrid {
    int columns = 1;
    int rows = 1;
    double scale = 1.0;
    std::vector<QRect> windows;  // on the screen, in pixels, frame included; one per slot
};

// The size in pixels of a station window at a scale.
using WindowSizeAt = std::function<QSize(double scale)>;

// The grid of `count` windows (each `window` pixels at its scale, plus
// `frame`, what a window manager adds around it) on `screen` that shows
// them largest; the scale is in hundredths.
SlotGrid PlanSlotGrid(int count, const QRect& screen, const WindowSizeAt& window, const QSize& frame);

struct SlotStart {
    int slot = 0;
    std::string port;  // --port of the slot's station; "" to find its unit by its USB port
};

// The slots to start: with ports given, slot 1, 2, ... on each of them in
// turn (simulated units, bench adapters); else every slot [Slots] names.
// Empty, with `error` set, when there is none.
std::vector<SlotStart> SlotsToStart(const std::vector<std::string>& ports, const SlotMap& map, std::string& error);

// What every slot's station is started with besides its slot.
struct SlotLaunch {
    std::string program;        // the station's executable
    std::string stationDir;     // --dir; "" for none
    std::string wireTraceDir;   // --trace; "" for none
    bool engineering = false;
};

// The arguments (after the program) of one slot's station placed at `at`
// with its window at `scale`.
std::vector<std::string> SlotStationArguments(const SlotLaunch& launch, const SlotStart& slot, const QPoint& at,
                                              double scale);

// SIGTERM, SIGINT and SIGHUP blocked in this thread and in every thread it
// starts afterwards (so make it before Qt starts any), for the launcher to
// take them through a signal descriptor; the former mask returns when it
// goes.
class LauncherSignals {
public:
    LauncherSignals();
    ~LauncherSignals();
    LauncherSignals(const LauncherSignals&) = delete;
    LauncherSignals& operator=(const LauncherSignals&) = delete;
    const sigset_t& Waited() const { return waited_; }

private:
    sigset_t waited_;
    sigset_t previous_;
};

// Starts one station per slot at its place in `grid`, its window at the
// grid's scale, and watches them until all have ended for good
// (SlotSupervisor: a station that ended abnormally is started again within
// a budget). SIGTERM, SIGINT and SIGHUP are passed on to the stations. Needs
// a QApplication (the box of a slot that is not started again). 0 when every
// station ended with status 0; a station that could not start or failed is
// named on standard error.
int RunSlotStations(const SlotLaunch& launch, const std::vector<SlotStart>& starts, const SlotGrid& grid,
                    const LauncherSignals& held);
