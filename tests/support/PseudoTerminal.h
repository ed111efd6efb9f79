#pragma once

#include <string>
#include <string_view>

#include "sim/PseudoTerminal.h"

// A pseudo-terminal for tests of the real serial layer: the test plays the
// unit on the master end; the station opens SlavePath().
class PseudoTerminal {
public:
    const std::string& SlavePath() const { return terminal_.SlavePath(); }
    // Writes bytes as the unit.
    void Send(std::string_view bytes);
    // Reads what the station wrote, waiting up to `timeoutMs` for `count` bytes.
    std::string Receive(size_t count, int timeoutMs);
    // Waits until `count` bytes are queued for the station to read.
    bool WaitQueued(int handle, size_t count, int timeoutMs);

private:
    sim::PseudoTerminal terminal_;
};
