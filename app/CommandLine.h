#pragma once

#include <span>
#include <string>

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
};

// Parses the arguments after the program name:
//   [--port PATH] [--screenshot FILE.png] [--engineering] [--dir DIR] [--trace DIR] [--version] [--help]
// Options also take the form --option=VALUE.
CommandLine ParseCommandLine(std::span<const std::string> args);

inline constexpr const char* kUsage = "usage: rurizuda [--port PATH] [--screenshot FILE.png] [--engineering] [--dir DIR]"
                                      " [--trace DIR] [--version] [--help]";
