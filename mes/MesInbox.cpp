#include "mes/MesInbox.h"

#include <algorithm>
#include <utility>

void MesInbox::Push(InboxUnit unit)
{
    std::lock_guard lock(mutex_);
    units_.push_back(std::move(unit));
    if (listener_)
        listener_();
    changed_.notify_all();
}

std::deque<InboxUnit> MesInbox::TakeAll()
{
    std::lock_guard lock(mutex_);
    taken_ += units_.size();
    return std::exchange(units_, {});
}

void MesInbox::Settled(size_t count)
{
    std::lock_guard lock(mutex_);
    taken_ -= std::min(count, taken_);
}

size_t MesInbox::Size()
{
    std::lock_guard lock(mutex_);
    return units_.size() + taken_;
}

void MesInbox::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
    if (listener_)
        listener_();
    changed_.notify_all();
}

bool MesInbox::Closed()
{
    std::lock_guard lock(mutex_);
    return closed_;
}

bool MesInbox::WaitUntil(Clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_until(lock, deadline, [this] { return closed_ || !units_.empty(); });
}

void MesInbox::Listen(std::function<void()> listener)
{
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
}
