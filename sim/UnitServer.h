#pragma once

#include "sim/WriteScheduler.h"

#include <iosfwd>
#include <string_view>

namespace sim {

class PseudoTerminal;
class StopSignals;
class UnitBehaviour;

struct ServerOptions {
    bool log = false;               // "--> " and "<-- " lines on the log stream
    bool exitOnStdinClose = false;  // stop when standard input ends
};

// Serves the unit on a pseudo-terminal: hands what the station writes to the
// unit and writes its answers when they fall due. Waits in poll() only.
class UnitServer {
public:
    UnitServer(PseudoTerminal& terminal, UnitBehaviour& unit, const StopSignals& stop,
               ServerOptions options, std::ostream& log);

    // Returns when a stop signal arrives, or standard input ends if asked to.
    // Throws std::system_error when the terminal fails.
    void Run();

private:
    bool StdinEnded();
    void ReadRequests();
    void WriteDueAnswers();
    void Log(std::string_view direction, std::string_view bytes);

    PseudoTerminal& terminal_;
    UnitBehaviour& unit_;
    const StopSignals& stop_;
    ServerOptions options_;
    std::ostream& log_;
    WriteScheduler scheduler_;
};

}  // namespace sim
