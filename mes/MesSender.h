#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "mes/AmqpSession.h"
#include "mes/MesEndpoint.h"

namespace proton {
class container;
}

// How long the sender waits after a failed connection: the first wait,
// doubled after each failure up to the last.
struct MesRetry {
    std::chrono::milliseconds first {500};
    std::chrono::milliseconds last {30000};
};

// Publishes an outbox file to the broker on a thread of its own, in order,
// at least once: a connection that fails is tried again after a wait
// (MesRetry), entries stay until the broker accepted them.
class MesSender {
public:
    MesSender(MesEndpoint endpoint, std::filesystem::path outboxFile, MesSendObserver& observer,
              MesRetry retry = {});
    ~MesSender();  // stops the thread
    MesSender(const MesSender&) = delete;
    MesSender& operator=(const MesSender&) = delete;

    // Starts the sending thread; it sends what the outbox holds.
    void Start();
    // New entries were added to the outbox; a sender waiting to connect
    // again finds them when it does.
    void Wake();
    // Ends the connection and the thread; what is not accepted stays.
    void Stop();

    // Sends in the calling thread until the outbox is empty (or Stop); the
    // sender program's way. Returns false when the outbox cannot be opened.
    bool Drain();

private:
    // False when the outbox cannot be opened.
    bool Run(bool drain);
    // One connection; its error, "" when it ended because it was done.
    std::string RunSession(MesOutbox& outbox, bool drain);
    // Whether nothing waits; false, told to the observer, when the outbox
    // cannot be read.
    bool IsEmpty(MesOutbox& outbox);
    // Waits `wait` before the next connection, syncing entries added meanwhile.
    void WaitToRetry(std::unique_lock<std::mutex>& lock, MesOutbox& outbox, std::chrono::milliseconds wait);

    MesEndpoint endpoint_;
    std::filesystem::path outboxFile_;
    MesSendObserver& observer_;
    MesRetry retry_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wakeUp_;
    bool stopping_ = false;
    bool syncPending_ = false;  // entries to bring to disk while no connection runs
    AmqpSession* session_ = nullptr;      // the connection being run
    proton::container* container_ = nullptr;
};
