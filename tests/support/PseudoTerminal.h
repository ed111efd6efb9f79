#pragma once

#include <string>
#include <string_view>

// A pseudo-terminal for tests of the real serial layer: the test plays the
// unit on the master end; the station opens SlavePath(). The master is left
// in its default mode (raw mode on a master would reset the slave's read
// settings).
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& SlavePath() const { return slavePath_; }
    // Writes bytes as the unit.
    void Send(std::string_view bytes);
    // Reads what the station wrote, waiting up to `timeoutMs` for `count` bytes.
    std::string Receive(size_t count, int timeoutMs);
    // Waits until `count` bytes are queued for the station to read.
    bool WaitQueued(int handle, size_t count, int timeoutMs);

private:
    int master_ = -1;
    std::string slavePath_;
};
