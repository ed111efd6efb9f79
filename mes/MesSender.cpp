#include "mes/MesSender.h"

#include <proton/container.hpp>

#include <algorithm>

#include "mes/MesOutbox.h"
#include "records/ResultStore.h"

namespace {

constexpr const char* kClosedByBroker = "the broker closed the connection";

}  // namespace

MesSender::MesSender(MesEndpoint endpoint, std::filesystem::path outboxFile, MesSendObserver& observer,
                     MesRetry retry)
    : endpoint_(std::move(endpoint))
    , outboxFile_(std::move(outboxFile))
    , observer_(observer)
    , retry_(retry)
{
}

MesSender::~MesSender()
{
    Stop();
}

void MesSender::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(false); });
}

void MesSender::Wake()
{
    std::lock_guard lock(mutex_);
    if (session_) {
        session_->Wake();
    } else {
        syncPending_ = true;
        wakeUp_.notify_all();
    }
}

void MesSender::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        wakeUp_.notify_all();
        if (container_)
            container_->stop();
    }
    if (thread_.joinable())
        thread_.join();
}

bool MesSender::Drain()
{
    return Run(true);
}

std::string MesSender::RunSession(MesOutbox& outbox, bool drain)
{
    AmqpSession session(endpoint_, outbox, observer_, drain);
    proton::container container(session);
    {
        std::lock_guard lock(mutex_);
        if (stopping_)
            return "";
        session_ = &session;
        container_ = &container;
    }
    std::string error;
    try {
        container.run();
        session.RemoveAccepted();
        error = session.Error();
    } catch (const std::exception& failure) {
        error = "MES broker " + endpoint_.url + ": " + failure.what();
    }
    std::lock_guard lock(mutex_);
    session_ = nullptr;
    container_ = nullptr;
    if (error.empty() && !drain && !stopping_)
        error = kClosedByBroker;
    return error;
}

void MesSender::WaitToRetry(std::unique_lock<std::mutex>& lock, MesOutbox& outbox, std::chrono::milliseconds wait)
{
    const auto retry = std::chrono::steady_clock::now() + wait;
    syncPending_ = true;  // what the broker did not accept before it went
    while (wakeUp_.wait_until(lock, retry, [this] { return stopping_ || syncPending_; }) && !stopping_) {
        syncPending_ = false;
        lock.unlock();
        try {
            outbox.Sync();
        } catch (const StoreError& error) {
            observer_.Failed(error.what());
        }
        lock.lock();
    }
}

bool MesSender::Run(bool drain)
{
    std::unique_ptr<MesOutbox> outbox;
    try {
        outbox = std::make_unique<MesOutbox>(outboxFile_);
    } catch (const StoreError& error) {
        observer_.Failed(error.what());
        return false;
    }
    std::chrono::milliseconds wait = retry_.first;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        // The station's sender stays connected while the outbox is empty,
        // so a wrong address or login shows before the first unit.
        if (drain && IsEmpty(*outbox))
            return true;
        const std::string error = RunSession(*outbox, drain);
        lock.lock();
        if (error.empty()) {
            wait = retry_.first;
            continue;
        }
        if (stopping_)
            break;
        lock.unlock();
        observer_.Failed(error);
        lock.lock();
        WaitToRetry(lock, *outbox, wait);
        wait = std::min(wait * 2, retry_.last);
    }
    return true;
}

bool MesSender::IsEmpty(MesOutbox& outbox)
{
    try {
        return outbox.Count() == 0;
    } catch (const StoreError& error) {
        observer_.Failed(error.what());
        return false;
    }
}
