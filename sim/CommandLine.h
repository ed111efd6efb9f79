#pragma once

#include "sim/SimOptions.h"
#include "sim/UnitState.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Everything the simulator program is told on its command line.
struct ProgramConfig {
    UnitState state;
    SimOptions options;
    bool log = false;               // requests and replies to stderr
    bool exitOnStdinClose = false;  // end when standard input reaches its end
    std::string replayPath;         // answer as the unit recorded in this wire trace
};

struct CommandLineResult {
    ProgramConfig config;
    bool helpRequested = false;
    std::string error;  // set when the arguments were refused: one line, no newline
};

// Longest delay any option accepts.
inline constexpr int kMaxOptionDelayMs = 600000;

// Reads GNU-style long options ("--name value" or "--name=value"); args
// exclude the program name.
CommandLineResult ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText(std::string_view programName);

}  // namespace sim
