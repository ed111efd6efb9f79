#include "tools/rurizuda-report/WatchLoop.h"

#include <signal.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>

void RunEvery(int seconds, const std::function<void()>& once)
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    // Held for the whole loop; given back however it ends.
    struct HeldSignals {
        explicit HeldSignals(const sigset_t& held) { pthread_sigmask(SIG_BLOCK, &held, &previous); }
        ~HeldSignals() { pthread_sigmask(SIG_SETMASK, &previous, nullptr); }
        sigset_t previous;
    } held(stop);
    using Clock = std::chrono::steady_clock;
    auto next = Clock::now();
    for (;;) {
        once();
        next = std::max(next + std::chrono::seconds(seconds), Clock::now());
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(next - Clock::now());
            if (left.count() <= 0)
                break;
            timespec wait {static_cast<time_t>(left.count() / 1'000'000'000), static_cast<long>(left.count() % 1'000'000'000)};
            const int signal = sigtimedwait(&stop, nullptr, &wait);
            if (signal == SIGINT || signal == SIGTERM)
                return;
            if (signal < 0 && errno == EAGAIN)
                break;
        }
    }
}
