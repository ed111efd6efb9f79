#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

#include "mes/MesInbox.h"
#include "mes/MesOutbox.h"

// What a station's sender makes its messages from: the units of one slot in
// the station's journal.
struct MesJournalFeed {
    std::filesystem::path journalDir;  // the folder that holds units/
    int slot = 0;
    std::function<OutboxMessage(const UnitJournalEntry&)> message;
};

// Brings stored units into the outbox on the sender's thread: from the
// inbox as the station pushes them, and on start from the journal lines past
// the outbox's cursor, so a unit whose line is in the journal gets its
// message whatever moment the station died at. Each message goes in with
// the cursor moved past its line, in one transaction. Failures throw
// StoreError.
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

private:
    MesOutbox& outbox_;
    MesInbox& inbox_;
    std::optional<MesJournalFeed> feed_;
    std::optional<JournalPosition> cursor_;
};
