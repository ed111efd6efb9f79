// rurizuda: the test station. Opens the main window, runs it until the
// operator closes it, and ends.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>

#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/DialogUnits.h"
#include "app/QtStationWindow.h"
#include "app/SlotLauncher.h"
#include "app/StationFolder.h"
#include "app/StationFont.h"
#include "app/UnitList.h"
#include "config/SlotMap.h"
#include "discovery/UdevDeviceSource.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"

namespace {

constexpr int kUsageError = 2;
// Room for what a window manager adds around a window (borders, title bar)
// when the slots' windows are placed side by side.
constexpr QSize kWindowManagerFrame {8, 32};
constexpr const char* kOwnExecutable = "/proc/self/exe";

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Qt aborts without a display; say so in one line instead.
bool HaveDisplay()
{
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}

int SaveScreenshot(QtStationWindow& window, const std::string& path)
{
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromStdString(path), "PNG")) {
        std::fprintf(stderr, "rurizuda: cannot write the screenshot %s\n", path.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

// Chooses the station folder, prepares it and changes into it; fills in
// where the databases go. False (with the reason printed) when the station
// cannot keep its files anywhere.
bool EnterStationFolder(const std::string& dirOption, StationOptions& options)
{
    const StationFolderFacts facts = GatherStationFolderFacts(dirOption);
    const StationFolder folder = ChooseStationFolder(facts);
    if (!folder.error.empty()) {
        std::fprintf(stderr, "rurizuda: %s\n", folder.error.c_str());
        return false;
    }
    options.dataDir = folder.dataDir.string();
    if (folder.workDir.empty())
        return true;
    const StationFolderSetup setup = PrepareStationFolder(folder.workDir, ExampleProfileCandidates(facts.executableDir));
    if (!setup.message.empty())
        std::fprintf(stderr, "rurizuda: %s\n", setup.message.c_str());
    if (!setup.error.empty()) {
        std::fprintf(stderr, "rurizuda: %s\n", setup.error.c_str());
        return false;
    }
    std::error_code error;
    std::filesystem::current_path(folder.workDir, error);
    if (error) {
        std::fprintf(stderr, "rurizuda: cannot enter the station folder %s: %s\n", folder.workDir.c_str(),
                     error.message().c_str());
        return false;
    }
    return true;
}

// The [Slots] map of the profile in the current directory; nullopt, with the
// reason printed, when it is malformed.
std::optional<SlotMap> ReadSlots()
{
    SlotMap map = LoadSlotMap(StationProfilePath());
    if (!map.error.empty()) {
        std::fprintf(stderr, "rurizuda: %s\n", map.error.c_str());
        return std::nullopt;
    }
    return map;
}

// --list-units: the attached units, their USB ports and slots.
int ListUnits(const std::string& stationDir)
{
    StationOptions options;
    if (!EnterStationFolder(stationDir, options))
        return EXIT_FAILURE;
    const SlotMap map = LoadSlotMap(StationProfilePath());
    const auto devices = UdevDeviceSource().PresentDevices();
    if (!devices) {
        std::fprintf(stderr, "rurizuda: cannot list the devices (udev)\n");
        return EXIT_FAILURE;
    }
    for (const std::string& line : UnitListLines(*devices, map))
        std::printf("%s\n", line.c_str());
    if (!map.error.empty()) {
        std::fprintf(stderr, "rurizuda: %s\n", map.error.c_str());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}

// Why the slots cannot start, on standard error and, for a launcher started
// from the desktop menu (no terminal to read it on), in a box.
int SlotsCannotStart(int argc, char* argv[], const std::string& reason)
{
    std::fprintf(stderr, "rurizuda: %s\n", reason.c_str());
    if (!isatty(STDERR_FILENO)) {
        QApplication app(argc, argv);
        QMessageBox::warning(nullptr, QString::fromUtf8(kApplicationName), QString::fromStdString(reason));
    }
    return EXIT_FAILURE;
}

// --slots: one station process per slot, their windows in a grid.
int StartSlots(int argc, char* argv[], const CommandLine& line)
{
    const SlotMap map = LoadSlotMap(StationProfilePath());
    if (!map.error.empty())
        return SlotsCannotStart(argc, argv, map.error);
    std::string error;
    const std::vector<SlotStart> starts = SlotsToStart(line.ports, map, error);
    if (starts.empty())
        return SlotsCannotStart(argc, argv, error);
    const LauncherSignals held;  // before Qt starts any thread
    // The launcher's own window is the box of a slot that is not started again.
    QApplication app(argc, argv);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const auto window = [](double scale) {
        return DialogUnits(StationFont(scale)).ToPixels(kWindowWidthDlu, kWindowHeightDlu);
    };
    const SlotGrid grid = PlanSlotGrid(static_cast<int>(starts.size()), screen, window, kWindowManagerFrame);
    std::error_code ignored;
    SlotLaunch launch;
    launch.program = std::filesystem::read_symlink(kOwnExecutable, ignored).string();
    // The stations are started in the station folder: a --dir is passed on
    // as that folder, whatever it was relative to.
    launch.stationDir = line.stationDir.empty() ? "" : std::filesystem::current_path(ignored).string();
    launch.wireTraceDir = line.options.wireTraceDir;
    launch.engineering = line.options.engineering;
    return RunSlotStations(launch, starts, grid, held);
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const CommandLine line = ParseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "rurizuda: %s (try --help)\n", line.error.c_str());
        return kUsageError;
    }
    if (line.help) {
        std::printf("%s\n"
                    "  --port PATH          list PATH as the unit's port instead of searching by USB identity\n"
                    "  --screenshot FILE    save a picture of the started window as PNG and end\n"
                    "  --engineering        writing station: show the identity writes (IMEI, MAC, SN)\n"
                    "                       that number a series of units\n"
                    "  --dir DIR            keep workstation.ini, writelog.txt and the databases in DIR\n"
                    "                       (created when missing, with the example profile copied in)\n"
                    "  --version            print the version and end\n"
                    "  --trace DIR          write every byte exchanged with the unit to DIR, one file per unit\n"
                    "  --slot N             be slot N (1-8): test the unit at the USB port [Slots] SLOTN names,\n"
                    "                       keep the log and traces in slot-N/ of the station folder\n"
                    "  --slots              start one station per slot of [Slots] (or per --port given),\n"
                    "                       their windows side by side\n"
                    "  --list-units         print each attached unit's port, USB port path and slot, and end\n"
                    "  --at X,Y             place the window's top left corner at X,Y on the screen\n"
                    "  --scale F            show the window at F (0.1 to 1) times its size\n",
                    kUsage);
        return EXIT_SUCCESS;
    }
    if (line.version) {
        std::printf("rurizuda %s\n", RURIZUDA_VERSION);
        return EXIT_SUCCESS;
    }
    if (line.listUnits)
        return ListUnits(line.stationDir);
    if (!HaveDisplay()) {
        std::fprintf(stderr, "rurizuda: no display: set DISPLAY or WAYLAND_DISPLAY "
                             "(or QT_QPA_PLATFORM=offscreen for a screenshot)\n");
        return EXIT_FAILURE;
    }

    // A relative screenshot path names a file in the folder the station was
    // started from, not in the station folder.
    const std::string screenshotPath =
        line.screenshotPath.empty() ? "" : std::filesystem::absolute(line.screenshotPath).string();
    StationOptions options = line.options;
    if (!EnterStationFolder(line.stationDir, options))
        return EXIT_FAILURE;
    if (line.startSlots)
        return StartSlots(argc, argv, line);
    if (options.slot) {
        const std::optional<SlotMap> map = ReadSlots();
        if (!map)
            return EXIT_FAILURE;
        options.slotPortPath = map->PathOf(options.slot);
    }

    QApplication app(argc, argv);
    QApplication::setFont(StationFont(line.windowScale));
    QApplication::setWindowIcon(ApplicationIcon());

    QtStationWindow window(nullptr, line.windowScale);
    if (options.slot)
        window.ShowSlot(options.slot, !options.engineering);  // the writing station's options fill the label's corner
    if (line.windowAt)
        window.move(line.windowAt->x, line.windowAt->y);
    CRuriZudaDlg controller(window, options);
    window.Attach(controller);
    controller.OnInitDialog();

    if (!screenshotPath.empty()) {
        const int status = SaveScreenshot(window, screenshotPath);
        controller.OnDestroy();
        return status;
    }

    // Ending the window tells the controller (OnDestroy) before exec returns.
    if (window.exec() == QDialog::Rejected)
        LogClose();
    return EXIT_SUCCESS;
}
