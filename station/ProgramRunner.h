#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// How a program run by ProgramRunner ended.
struct ProgramOutcome {
    enum class Ending {
        Exited,     // on its own; `status` is its exit status
        Signalled,  // by a signal; `status` is the signal
        TimedOut,   // killed at the time limit
        NotRun,     // could not be started or watched; `error` says why
    };
    Ending ending = Ending::NotRun;
    int status = 0;
    std::string output;  // its standard output, at most kOutputLimit bytes
    std::string error;
};

// Runs a program from an argument vector (no shell: argv[0] is the program's
// path, the rest are its arguments) and waits for it, blocking in poll, for
// at most the time limit. Its standard input is /dev/null, its standard error
// the station's; it inherits no other descriptor. A program still running at
// the limit is killed with its process group and reaped.
class ProgramRunner {
public:
    static constexpr std::size_t kOutputLimit = 4096;

    explicit ProgramRunner(std::chrono::milliseconds limit) : limit_(limit) {}

    ProgramOutcome Run(const std::vector<std::string>& argv) const;
    std::chrono::milliseconds Limit() const { return limit_; }

private:
    std::chrono::milliseconds limit_;
};
