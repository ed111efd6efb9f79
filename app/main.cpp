// rurizuda: the test station. Opens the main window, runs it until the
// operator closes it, and ends.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QPixmap>

#include "app/AppIcon.h"
#include "app/CommandLine.h"
#include "app/QtStationWindow.h"
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
                    "  --trace DIR          write every byte exchanged with the unit to DIR, one file per unit\n",
                    kUsage);
        return EXIT_SUCCESS;
    }
    if (!HaveDisplay()) {
        std::fprintf(stderr, "rurizuda: no display: set DISPLAY or WAYLAND_DISPLAY "
                             "(or QT_QPA_PLATFORM=offscreen for a screenshot)\n");
        return EXIT_FAILURE;
    }

    QApplication app(argc, argv);
    QApplication::setFont(StationFont());
    QApplication::setWindowIcon(ApplicationIcon());

    QtStationWindow window;
    CRuriZudaDlg controller(window, line.options);
    window.Attach(controller);
    controller.OnInitDialog();

    if (!line.screenshotPath.empty()) {
        const int status = SaveScreenshot(window, line.screenshotPath);
        controller.OnDestroy();
        return status;
    }

    // Ending the window tells the controller (OnDestroy) before exec returns.
    if (window.exec() == QDialog::Rejected)
        LogClose();
    return EXIT_SUCCESS;
}
