#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "mes/MesOutbox.h"
#include "records/UnitJournal.h"

// A stored unit on its way to the outbox: its journal entry and where its
// line ends in the journal. An event's message, made already, stands in
// for the unit's when set; its line is the event's.
struct InboxUnit {
    UnitJournalEntry entry;
    JournalPosition position;
    std::optional<OutboxMessage> event {};
};

// The in-memory queue from the station's thread to the sender's thread. The
// station only pushes; the sender takes. While a connection runs, the
// sender's connection is told of each push through its listener, else the
// sender's thread is woken.
class MesInbox {
public:
    using Clock = std::chrono::steady_clock;

    void Push(InboxUnit unit);
    // Takes every unit; they count as pushed until Settled.
    std::deque<InboxUnit> TakeAll();
    // `count` taken units are in the outbox (or given up) now.
    void Settled(size_t count);
    // Units pushed and not yet settled.
    size_t Size();
    // Ends the sender: waits return, the listener is told.
    void Close();
    bool Closed();
    // Until a push or Close, at most until `deadline`; whether either came.
    bool WaitUntil(Clock::time_point deadline);
    // Told of each push and of Close; called under the inbox's lock, so it
    // must only hand the news on. Cleared with an empty function.
    void Listen(std::function<void()> listener);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<InboxUnit> units_;
    size_t taken_ = 0;  // taken and not yet settled
    bool closed_ = false;
    std::function<void()> listener_;
};
