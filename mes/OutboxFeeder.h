#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mes/MesInbox.h"
#include "mes/MesOutbox.h"

// Whether the row a pending journal line was written for is committed in
// its store. Throws StoreError when the store cannot tell (unreachable).
using CommittedCheck = std::function<bool(const UnitJournalEntry&)>;

// What a station's sender makes its messages from: the units of one slot in
// the station's journal.
struct MesJournalFeed {
    std::filesystem::path journalDir;  // the folder that holds units/
    int slot = 0;
    std::function<OutboxMessage(const UnitJournalEntry&)> message;
    // Settles pending lines no later line settled; without it they are held.
    CommittedCheck committed = {};
    // Where the journal ended when the station started: the lines past it
    // are this run's and come through the inbox. Nothing: read to the end.
    std::optional<JournalPosition> until = {};
    // When set, units read back from the journal are queued as their lines
    // (UnitsTested from this sender), their messages made when first sent;
    // else `message` makes each at once.
    std::optional<CfxSender> sender = {};
};

// How often units held for their store's check are checked again, at most.
inline constexpr std::chrono::seconds kHeldCheckInterval {30};

// Brings stored units into the outbox on the sender's thread: from the
// inbox as the station pushes them, and on start from the journal lines past
// the outbox's cursor, so a unit whose line is in the journal gets its
// message whatever moment the station died at. Each message goes in with
// the cursor moved past its line, in one transaction. A pending line that
// nothing settled (the station died around the commit) is settled by
// looking its row up: queued when it is there, dropped when not, held in the
// outbox while the store cannot tell. Failures throw StoreError.
class OutboxFeeder {
public:
    // Without a feed there is nothing to bring (the sender program).
    OutboxFeeder(MesOutbox& outbox, MesInbox& inbox, std::optional<MesJournalFeed> feed);

    // This slot's stored units and events from the journal lines past the
    // cursor (all lines when the outbox has none); how many were queued.
    int64_t Recover();
    // The inbox's units not yet read from the journal; how many were queued.
    // `counted` runs once they are in the outbox, before the inbox stops
    // counting them, so a count of both never misses one.
    int64_t TakeInbox(const std::function<void()>& counted = {});
    // Checks the held units again, when kHeldCheckInterval has passed since
    // the last check; how many were queued.
    int64_t SettleHeld();
    // Why units are held; "" when none is.
    const std::string& HeldReason() const { return heldReason_; }

private:
    enum class Settled { Stored, NotStored, Unknown };
    // The outbox's message for a stored unit read back from the journal;
    // nothing when the line is no whole entry.
    std::optional<OutboxMessage> Queued(const std::string& line);
    Settled Check(const UnitJournalEntry& pending);
    // The sender's own line for a pending unit it queued, for the journal's
    // other readers.
    void JournalRecovered(UnitJournalEntry entry);

    MesOutbox& outbox_;
    MesInbox& inbox_;
    std::optional<MesJournalFeed> feed_;
    std::optional<JournalPosition> cursor_;
    std::string heldReason_;
    std::chrono::steady_clock::time_point nextHeldCheck_ {};
};
