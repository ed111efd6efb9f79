#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// Ends every wait on a socket once a deadline has passed: the socket is shut
// down, so that a call blocked on it returns with an error. A peer whose
// process is stopped still has its kernel acknowledge every packet; no
// keepalive or server time-out ends that wait, only the client can.
//
// The socket must stay open until the deadline is disarmed or ended (its
// thread is joined by the destructor).
class SocketDeadline {
public:
    SocketDeadline(int socket, std::chrono::milliseconds after);
    ~SocketDeadline();
    SocketDeadline(const SocketDeadline&) = delete;
    SocketDeadline& operator=(const SocketDeadline&) = delete;

    // True once the deadline has passed and the socket was shut down.
    bool Passed() const;

    // Ends the watch: from its return on, the deadline never shuts the
    // socket down. True when it already had (the socket is of no more use).
    bool Disarm();

private:
    void Watch(int socket, std::chrono::steady_clock::time_point until);

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool passed_ = false;
    std::thread watcher_;
};
