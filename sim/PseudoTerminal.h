#pragma once

#include <string>

namespace sim {

// A pseudo-terminal standing in for the unit's serial port. The unit side
// reads and writes the master; the station opens the slave by its path.
// The slave is kept open here for the terminal's whole life, so the master
// never sees a hang-up when the station closes its end.
class PseudoTerminal {
public:
    // Opens the pair, puts the slave in raw mode and makes the master
    // non-blocking. Throws std::system_error when any step fails.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

}  // namespace sim
