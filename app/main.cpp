// rurizuda: the test station. Opens the main window, runs it until the
// operator closes it, and ends.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QPixmap>

#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/QtStationWindow.h"
#include "app/StationFolder.h"
#include "app/StationFont.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"

namespace {

constexpr int kUsageError = 2;

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
                    "  --trace DIR          write every byte exchanged with the unit to DIR, one file per unit\n",
                    kUsage);
        return EXIT_SUCCESS;
    }
    if (line.version) {
        std::printf("rurizuda %s\n", RURIZUDA_VERSION);
        return EXIT_SUCCESS;
    }
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

    QApplication app(argc, argv);
    QApplication::setFont(StationFont());
    QApplication::setWindowIcon(ApplicationIcon());

    QtStationWindow window;
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
