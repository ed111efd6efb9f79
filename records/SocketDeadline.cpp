#include "records/SocketDeadline.h"

#include <sys/socket.h>

SocketDeadline::SocketDeadline(int socket, std::chrono::milliseconds after)
{
    const auto until = std::chrono::steady_clock::now() + after;
    watcher_ = std::thread([this, socket, until] { Watch(socket, until); });
}

SocketDeadline::~SocketDeadline()
{
    Disarm();
    watcher_.join();
}

bool SocketDeadline::Disarm()
{
    bool passed = false;
    {
        // The lock the watcher shuts the socket down under: it either has
        // already or never will.
        const std::lock_guard lock(mutex_);
        done_ = true;
        passed = passed_;
    }
    ended_.notify_all();
    return passed;
}

bool SocketDeadline::Passed() const
{
    const std::lock_guard lock(mutex_);
    return passed_;
}

void SocketDeadline::Watch(int socket, std::chrono::steady_clock::time_point until)
{
    std::unique_lock lock(mutex_);
    if (ended_.wait_until(lock, until, [this] { return done_; }))
        return;
    passed_ = true;
    if (socket >= 0)
        shutdown(socket, SHUT_RDWR);
}
