#include "tools/rurizuda-report/SqliteLockWait.h"

namespace {

// Between two tries of a locked file; a store holds the lock for a few ms.
constexpr std::chrono::milliseconds kRetryPause {10};

}  // namespace

int LockWait::Again(void* self, int tries)
{
    auto* wait = static_cast<LockWait*>(self);
    std::unique_lock lock(wait->mutex_);
    const auto now = std::chrono::steady_clock::now();
    if (tries == 0)
        wait->started_ = now;
    if (wait->stop_ || now - wait->started_ >= wait->limit_)
        return 0;
    return wait->interrupted_.wait_for(lock, kRetryPause, [wait] { return wait->stop_.load(); }) ? 0 : 1;
}

void LockWait::Interrupt()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    interrupted_.notify_all();
}

bool LockWait::Interrupted()
{
    return stop_;
}
