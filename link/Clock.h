#pragma once

#include <cstdint>

// The one place where the device link waits. Every delay of the timing
// contract with the unit goes through the installed clock, so tests can
// replace real sleeping with a counter of virtual time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void Sleep(int ms) = 0;
    // Milliseconds on a monotonic scale; only differences mean anything.
    virtual int64_t NowMs() const = 0;
};

// Sleeps on the calling thread; reads the steady clock.
class SystemClock final : public Clock {
public:
    void Sleep(int ms) override;
    int64_t NowMs() const override;
};

// The clock in use; the system clock unless a test installed another.
Clock& CurrentClock();

// Installs `clock` (nullptr restores the system clock) and returns the
// previous one.
Clock* InstallClock(Clock* clock);
