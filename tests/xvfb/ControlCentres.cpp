// Prints where the station's controls sit in its window, for a test that
// clicks them from outside the program: one "NAME X Y" line per control
// named, X and Y the centre of the control (for "slot-label" a point at
// its left edge, clear of its text) relative to the window's client
// area. Built with the same font and layout as the station itself; run it
// on the display the station runs on. A first "--scale F" measures a window
// started with --scale F.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include "app/QtStationWindow.h"
#include "app/StationFont.h"
#include "station/ControlIds.h"

namespace {

// The controls a test clicks, by the names it uses.
const std::map<std::string, int> kControls = {
    {"scan-mac", ctl::kScanMac},
    {"led-pass", ctl::kLedPass},
    {"oled-pass", ctl::kOledPass},
    {"test-finish", ctl::kTestFinish},
    {"retest", ctl::kRetest},
};

// Pixels from the slot label's left edge to a point its text never covers.
constexpr int kClearOfText = 4;

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // "--scale F" first: the window as a station started with that scale.
    int first = 1;
    double scale = 1.0;
    if (argc > 2 && std::string(argv[1]) == "--scale") {
        scale = std::atof(argv[2]);
        first = 3;
    }
    QApplication::setFont(StationFont(scale));
    QtStationWindow window(nullptr, scale);
    window.ShowSlot(1);  // "slot-label": the large label of a slot's window
    for (int i = first; i < argc; ++i) {
        const auto found = kControls.find(argv[i]);
        const QWidget* label = window.SlotLabel();
        const QWidget* control = std::string(argv[i]) == "slot-label" ? label
                                 : found == kControls.end()           ? nullptr
                                                                      : window.Control(found->second);
        if (!control) {
            std::fprintf(stderr, "no control %s\n", argv[i]);
            return EXIT_FAILURE;
        }
        QPoint centre = control->geometry().center();
        if (control == label)
            centre.setX(control->geometry().left() + kClearOfText);  // the text stands at the right
        std::printf("%s %d %d\n", argv[i], centre.x(), centre.y());
    }
    return EXIT_SUCCESS;
}
