#pragma once

namespace sim {

// SIGTERM and SIGINT turned into a readable descriptor, so a poll loop can
// wait for them along with its other descriptors. Construct before any
// thread starts: the signals are blocked for the calling thread.
class StopSignals {
public:
    // Throws std::system_error when the descriptor cannot be made.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    int Fd() const { return fd_; }

private:
    int fd_ = -1;
};

}  // namespace sim
