#include "tools/rurizuda-report/WatchLoop.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

// The stop signals, read from a signalfd by a thread of their own. Blocked
// in every thread of the process for the loop's life, so none of them runs a
// handler; given back however the loop ends.
class StopSignals {
public:
    explicit StopSignals(std::function<void()> interrupt)
        : interrupt_(std::move(interrupt))
    {
        sigemptyset(&stop_);
        sigaddset(&stop_, SIGINT);
        sigaddset(&stop_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &stop_, &previous_);
        signals_ = signalfd(-1, &stop_, SFD_CLOEXEC);
        done_ = eventfd(0, EFD_CLOEXEC);
        if (signals_ < 0 || done_ < 0) {
            Close();
            throw std::runtime_error("cannot wait for signals");
        }
        thread_ = std::thread([this] { Wait(); });
    }

    ~StopSignals()
    {
        const uint64_t one = 1;
        if (write(done_, &one, sizeof one) != sizeof one) {
            // An eventfd write fails only on overflow; the thread ends anyway
            // on the next signal.
        }
        thread_.join();
        Close();
        // A signal that came after the thread stopped reading stays pending;
        // taking it here keeps it from ending the process once unblocked.
        timespec none {0, 0};
        while (sigtimedwait(&stop_, nullptr, &none) > 0) {
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }

    // Waits up to `until` for a stop; true when one came.
    bool WaitUntil(std::chrono::steady_clock::time_point until)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_until(lock, until, [this] { return stopped_; });
    }

    bool Stopped()
    {
        std::lock_guard lock(mutex_);
        return stopped_;
    }

private:
    void Wait()
    {
        pollfd fds[] = {{signals_, POLLIN, 0}, {done_, POLLIN, 0}};
        for (;;) {
            if (poll(fds, 2, -1) < 0)
                continue;  // EINTR: nothing to do
            if (fds[1].revents)
                return;
            signalfd_siginfo info {};
            if (fds[0].revents && read(signals_, &info, sizeof info) == sizeof info) {
                {
                    std::lock_guard lock(mutex_);
                    stopped_ = true;
                }
                changed_.notify_all();
                interrupt_();
            }
        }
    }

    void Close()
    {
        if (signals_ >= 0)
            close(signals_);
        if (done_ >= 0)
            close(done_);
    }

    std::function<void()> interrupt_;
    sigset_t stop_ {};
    sigset_t previous_ {};
    int signals_ = -1;
    int done_ = -1;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopped_ = false;
};

}  // namespace

void RunEvery(int seconds, const std::function<void()>& once, const std::function<void()>& interrupt)
{
    StopSignals signals(interrupt);
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    for (;;) {
        try {
            once();
        } catch (...) {
            if (signals.Stopped())
                return;  // the stop ended the period: not a failure
            throw;
        }
        next = std::max(next + std::chrono::seconds(seconds), Clock::now());
        if (signals.Stopped() || signals.WaitUntil(next))
            return;
    }
}
