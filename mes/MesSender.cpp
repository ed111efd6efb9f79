#include "mes/MesSender.h"

#include <proton/container.hpp>

#include <algorithm>

#include "mes/MesOutbox.h"
#include "mes/MesOutboxLock.h"
#include "records/ResultStore.h"

namespace {

constexpr const char* kClosedByBroker = "the broker closed the connection";
constexpr const char* kHeld = "units whose store could not be checked wait in the outbox: ";
// A wait is drawn from this share below to this share above its length.
constexpr double kJitter = 0.2;

}  // namespace

MesSender::MesSender(std::optional<MesEndpoint> endpoint, std::filesystem::path outboxFile,
                     MesSendObserver& observer, MesRetry retry, std::optional<MesJournalFeed> feed, bool retryDeadLetters)
    : endpoint_(std::move(endpoint))
    , outboxFile_(std::move(outboxFile))
    , observer_(observer)
    , retry_(retry)
    , feed_(std::move(feed))
    , retryDeadLetters_(retryDeadLetters)
    , random_(std::random_device {}())
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

void MesSender::Push(InboxUnit unit)
{
    inbox_.Push(std::move(unit));
}

size_t MesSender::Pushed()
{
    return inbox_.Size();
}

void MesSender::Stop()
{
    inbox_.Close();
    {
        std::lock_guard lock(mutex_);
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

MesSender::SessionEnd MesSender::RunSession(MesOutbox& outbox, OutboxFeeder& feeder, bool drain)
{
    AmqpSession session(*endpoint_, outbox, feeder, inbox_, observer_, drain, retry_.brokerWait);
    proton::container container(session);
    {
        std::lock_guard lock(mutex_);
        if (inbox_.Closed())
            return {};
        container_ = &container;
    }
    SessionEnd end;
    try {
        container.run();
        end.error = session.Error();
    } catch (const std::exception& failure) {
        end.error = "MES broker " + endpoint_->url + ": " + failure.what();
    }
    inbox_.Listen({});
    end.delivered = session.Delivered();
    std::lock_guard lock(mutex_);
    container_ = nullptr;
    if (end.error.empty() && !drain && !inbox_.Closed())
        end.error = kClosedByBroker;
    return end;
}

bool MesSender::Feed(MesOutbox& outbox, OutboxFeeder& feeder)
{
    try {
        feeder.TakeInbox([&] { observer_.Counted(outbox.Count(), outbox.DeadLetterCount()); });
        if (feeder.SettleHeld() > 0)
            observer_.Counted(outbox.Count(), outbox.DeadLetterCount());
        TellHeld(feeder);
        return true;
    } catch (const StoreError& error) {
        observer_.Failed(std::string("units wait in the journal, the outbox did not take them: ") + error.what());
        return false;
    }
}

void MesSender::TellHeld(const OutboxFeeder& feeder)
{
    if (!feeder.HeldReason().empty())
        observer_.Failed(std::string(kHeld) + feeder.HeldReason());
}

void MesSender::WaitToRetry(MesOutbox& outbox, OutboxFeeder& feeder, std::chrono::milliseconds wait)
{
    const auto retry = MesInbox::Clock::now() + wait;
    while (inbox_.WaitUntil(retry) && !inbox_.Closed())
        Feed(outbox, feeder);
}

void MesSender::Idle()
{
    while (!inbox_.Closed()) {
        inbox_.WaitUntil(MesInbox::Clock::time_point::max());
        inbox_.Settled(inbox_.TakeAll().size());
    }
}

std::chrono::milliseconds MesSender::Jittered(std::chrono::milliseconds wait)
{
    std::uniform_real_distribution<double> share(1.0 - kJitter, 1.0 + kJitter);
    return std::chrono::milliseconds(static_cast<int64_t>(static_cast<double>(wait.count()) * share(random_)));
}

bool MesSender::Run(bool drain)
{
    std::string error;
    const auto lock = MesOutboxLock::Take(outboxFile_, &error);
    std::unique_ptr<MesOutbox> outbox;
    if (lock) {
        try {
            outbox = std::make_unique<MesOutbox>(outboxFile_);
        } catch (const StoreError& failure) {
            error = std::string("the MES outbox cannot be opened: ") + failure.what();
        }
    }
    if (!outbox) {
        observer_.Failed(error);
        if (!drain)
            Idle();
        return false;
    }
    OutboxFeeder feeder(*outbox, inbox_, feed_);
    try {
        if (retryDeadLetters_)
            outbox->RetryDeadLetters();
        feeder.Recover();
        observer_.Counted(outbox->Count(), outbox->DeadLetterCount());
        TellHeld(feeder);
    } catch (const StoreError& failure) {
        observer_.Failed(std::string("the journal was not read into the outbox: ") + failure.what());
    }
    std::chrono::milliseconds wait = retry_.first;
    while (!inbox_.Closed()) {
        Feed(*outbox, feeder);
        if (!endpoint_) {
            // Queued, never sent: the profile tells why (shown by the owner).
            inbox_.WaitUntil(MesInbox::Clock::time_point::max());
            continue;
        }
        if (drain) {
            try {
                if (outbox->Count() == 0)
                    return true;
            } catch (const StoreError& failure) {
                observer_.Failed(failure.what());
                return false;
            }
        }
        const SessionEnd end = RunSession(*outbox, feeder, drain);
        if (inbox_.Closed())
            break;
        if (end.delivered)
            wait = retry_.first;
        if (end.error.empty())
            continue;
        observer_.Failed(end.error);
        WaitToRetry(*outbox, feeder, Jittered(wait));
        wait = std::min(wait * 2, retry_.last);
    }
    return true;
}
