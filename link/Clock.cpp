#include "link/Clock.h"

#include <chrono>
#include <thread>

namespace {
SystemClock systemClock;
Clock* installedClock = nullptr;
}  // namespace

int64_t Clock::NowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::Sleep(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock& CurrentClock()
{
    return installedClock ? *installedClock : systemClock;
}

Clock* InstallClock(Clock* clock)
{
    Clock* previous = installedClock;
    installedClock = clock;
    return previous;
}
