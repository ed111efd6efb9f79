#include "mes/OutboxFeeder.h"

#include <vector>

#include "records/JournalEvent.h"

namespace {

// Messages written per transaction while the journal is read back.
constexpr size_t kRecoveryBatch = 1000;

struct SettleOnExit {
    MesInbox& inbox;
    size_t count;
    ~SettleOnExit() { inbox.Settled(count); }
};

}  // namespace

OutboxFeeder::OutboxFeeder(MesOutbox& outbox, MesInbox& inbox, std::optional<MesJournalFeed> feed)
    : outbox_(outbox)
    , inbox_(inbox)
    , feed_(std::move(feed))
    , cursor_(outbox.Cursor())
{
}

int64_t OutboxFeeder::Recover()
{
    if (!feed_)
        return 0;
    std::vector<OutboxMessage> batch;
    std::optional<JournalPosition> readTo;
    int64_t queued = 0;
    const auto flush = [&] {
        if (!readTo || (cursor_ && *readTo <= *cursor_))
            return;
        outbox_.Add(batch, readTo);
        queued += static_cast<int64_t>(batch.size());
        batch.clear();
        cursor_ = readTo;
    };
    for (const auto& file : UnitJournalFiles(feed_->journalDir)) {
        const std::string name = file.filename().string();
        if (cursor_ && name < cursor_->file)
            continue;
        const int64_t from = cursor_ && name == cursor_->file ? cursor_->offset : 0;
        ReadUnitJournalFrom(file, from, [&](UnitJournalEntry&& entry, const JournalPosition& end) {
            readTo = end;
            if (entry.stored && entry.slot == feed_->slot)
                batch.push_back(feed_->message(entry));
            if (batch.size() >= kRecoveryBatch)
                flush();
        }, [&](const std::string& line, const JournalPosition& end) {
            const auto event = ParseJournalEventLine(line);
            if (!event)
                return;  // a torn line: the next whole line moves past it
            readTo = end;
            if (event->slot == feed_->slot)
                batch.push_back({event->name, event->uniqueId, event->message});
            if (batch.size() >= kRecoveryBatch)
                flush();
        });
    }
    flush();
    return queued;
}

int64_t OutboxFeeder::TakeInbox(const std::function<void()>& counted)
{
    std::deque<InboxUnit> units = inbox_.TakeAll();
    // Settled however this ends: a unit the outbox did not take waits in
    // the journal for the next start.
    const SettleOnExit settle {inbox_, units.size()};
    if (!feed_ || units.empty())
        return 0;
    std::vector<OutboxMessage> messages;
    std::optional<JournalPosition> readTo = cursor_;
    for (const InboxUnit& unit : units) {
        // A unit whose line was read back from the journal is queued already.
        if (readTo && unit.position <= *readTo)
            continue;
        messages.push_back(unit.event ? *unit.event : feed_->message(unit.entry));
        readTo = unit.position;
    }
    if (messages.empty())
        return 0;
    outbox_.Add(messages, readTo);
    cursor_ = readTo;
    if (counted)
        counted();
    return static_cast<int64_t>(messages.size());
}
