#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// How a report's SQLite connection waits for a file the station holds locked
// while it stores a row: a bounded wait that Interrupt() ends at once, from
// any thread. Installed as the connection's busy handler.
class LockWait {
public:
    explicit LockWait(int limitMs)
        : limit_(limitMs)
    {
    }

    // The busy handler: waits a little and says whether to try again.
    static int Again(void* wait, int tries);

    void Interrupt();
    bool Interrupted();

private:
    std::chrono::milliseconds limit_;
    std::chrono::steady_clock::time_point started_;
    std::mutex mutex_;
    std::condition_variable interrupted_;
    std::atomic<bool> stop_ = false;
};
