#include "link/Clock.h"

#include <chrono>
#include <thread>

namespace {
SystemClock systemClock;
Clock* installedClock = nullptr;
}  // namespace

void SystemClock::Sleep(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int64_t SystemClock::NowMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
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
