#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "station/CRuriZudaDlg.h"

// What the command line of rurizuda asks for.
struct CommandLine {
    StationOptions options;
    std::string screenshotPath;  // --screenshot: save the window as PNG and end
    bool help = false;
    std::string error;           // a usage error, one line; empty when the line is valid

    // Where the station keeps its files (app/StationFolder.h) and which
    // version it is.
    std::string stationDir;  // --dir: the station folder
    bool version = false;    // --version: print the version and end

    // Slots (config/SlotMap.h): options.slot holds --slot N.
    bool listUnits = false;  // --list-units: print the attached units and their ports, and end
    bool startSlots = false;  // --slots: start one station per slot
    // Every --port in order: with --slots, the port of slot 1, 2, ...
    std::vector<std::string> ports;
    // --at X,Y: the window's top left corner on the screen, in pixels (the
    // --slots launcher places its stations with it).
    struct Place {
        int x = 0;
        int y = 0;
    };
    std::optional<Place> windowAt;
    // --scale F: the window at F times its size, 0.1 <= F <= 1 (the --slots
    // launcher shrinks windows that would not fit side by side).
    double windowScale = 1.0;
};

// Parses the arguments after the program name:
//   [--port PATH] [--screenshot FILE.png] [--engineering] [--dir DIR] [--trace DIR] [--version] [--help]
//   [--slot N] [--slots] [--list-units] [--at X,Y] [--scale F]
// Options also take the form --option=VALUE.
CommandLine ParseCommandLine(std::span<const std::string> args);

inline constexpr const char* kUsage =
    "usage: rurizuda [--port PATH] [--screenshot FILE.png] [--engineering] [--dir DIR] [--trace DIR]"
    " [--slot N | --slots | --list-units] [--at X,Y] [--scale F] [--version] [--help]";
