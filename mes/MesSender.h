#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>

#include "mes/AmqpSession.h"
#include "mes/MesEndpoint.h"
#include "mes/MesInbox.h"
#include "mes/OutboxFeeder.h"

namespace proton {
class container;
}

// How long the sender waits after a failed connection: the first wait,
// doubled after each failure up to the last, each drawn up to a fifth
// either side so the stations of a line do not reconnect in step. A session
// that delivered something starts again from the first.
struct MesRetry {
    std::chrono::milliseconds first {500};
    std::chrono::milliseconds last {30000};
    std::chrono::milliseconds brokerWait = kMesBrokerWait;  // each step of a connection
};

// Publishes an outbox to the broker on a thread of its own, in order, at
// least once. The thread alone owns the outbox (locked against any other
// sender), the connection and the journal cursor; other threads push units
// into its inbox and are told what happened through the observer.
class MesSender {
public:
    // Without an endpoint (a profile that cannot be used) the sender still
    // queues every unit in the outbox; they go once the profile is fixed.
    MesSender(std::optional<MesEndpoint> endpoint, std::filesystem::path outboxFile, MesSendObserver& observer,
              MesRetry retry = {}, std::optional<MesJournalFeed> feed = {}, bool retryDeadLetters = false);
    ~MesSender();  // stops the thread
    MesSender(const MesSender&) = delete;
    MesSender& operator=(const MesSender&) = delete;

    // Starts the sending thread: it reads the journal past its cursor, then
    // sends what the outbox holds.
    void Start();
    // A stored unit for the outbox; returns at once.
    void Push(InboxUnit unit);
    // Units pushed and not yet in the outbox.
    size_t Pushed();
    // Ends the connection and the thread; what is not accepted stays.
    void Stop();

    // Sends in the calling thread until the outbox is empty; the sender
    // program's way. False when the outbox cannot be opened or locked.
    bool Drain();

private:
    struct SessionEnd {
        std::string error;
        bool delivered = false;
    };

    bool Run(bool drain);
    SessionEnd RunSession(MesOutbox& outbox, OutboxFeeder& feeder, bool drain);
    // Takes pushed units into the outbox; false, told, when it failed.
    bool Feed(MesOutbox& outbox, OutboxFeeder& feeder);
    // Tells why units are held for their store's check, when they are.
    void TellHeld(const OutboxFeeder& feeder);
    // Waits `wait` before the next connection, queuing units pushed meanwhile.
    void WaitToRetry(MesOutbox& outbox, OutboxFeeder& feeder, std::chrono::milliseconds wait);
    // Without a usable outbox the units stay in the journal alone: what is
    // pushed is let go until the sender stops.
    void Idle();
    std::chrono::milliseconds Jittered(std::chrono::milliseconds wait);

    std::optional<MesEndpoint> endpoint_;
    std::filesystem::path outboxFile_;
    MesSendObserver& observer_;
    MesRetry retry_;
    std::optional<MesJournalFeed> feed_;
    bool retryDeadLetters_;  // queued again once the outbox is held
    MesInbox inbox_;
    std::minstd_rand random_;
    std::thread thread_;
    std::mutex mutex_;
    proton::container* container_ = nullptr;  // the connection being run, for Stop
};
