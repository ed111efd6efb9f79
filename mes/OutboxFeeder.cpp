#include "mes/OutboxFeeder.h"

#include <algorithm>
#include <vector>

#include "records/JournalEvent.h"
#include "records/ResultStore.h"

namespace {

// Messages written per transaction while the journal is read back.
constexpr size_t kRecoveryBatch = 1000;

constexpr const char* kNoCheck = "the station gave no way to check its store";

struct SettleOnExit {
    MesInbox& inbox;
    size_t count;
    ~SettleOnExit() { inbox.Settled(count); }
};

// A pending line read and not yet settled, with where it starts.
struct Unsettled {
    UnitJournalEntry entry;
    JournalLineHead head;
    JournalPosition start;
};

bool Settles(const JournalLineHead& line, const Unsettled& pending)
{
    // Both lines are written by one station from one entry: the same text.
    return line.slot == pending.head.slot && line.sn == pending.head.sn && line.recorded == pending.head.recorded;
}

}  // namespace

OutboxFeeder::OutboxFeeder(MesOutbox& outbox, MesInbox& inbox, std::optional<MesJournalFeed> feed)
    : outbox_(outbox)
    , inbox_(inbox)
    , feed_(std::move(feed))
    , cursor_(outbox.Cursor())
{
}

OutboxFeeder::Settled OutboxFeeder::Check(const UnitJournalEntry& pending)
{
    if (!feed_->committed) {
        heldReason_ = kNoCheck;
        return Settled::Unknown;
    }
    try {
        return feed_->committed(pending) ? Settled::Stored : Settled::NotStored;
    } catch (const StoreError& error) {
        heldReason_ = error.what();
        return Settled::Unknown;
    }
}

std::optional<OutboxMessage> OutboxFeeder::Queued(const std::string& line)
{
    if (feed_->sender)
        return OutboxMessage {kUnitsTestedMessageName, "", "", line, *feed_->sender};
    // A line whose head reads but whose items do not is no whole entry, as
    // for every other reader of the journal.
    const auto entry = ParseUnitJournalLine(line);
    if (!entry)
        return std::nullopt;
    return feed_->message(*entry);
}

void OutboxFeeder::JournalRecovered(UnitJournalEntry entry)
{
    entry.pending = false;
    entry.recovered = true;
    std::string ignored;
    // Its message is queued: a line that cannot be written costs the
    // journal's readers this unit, never the MES.
    AppendUnitJournal(feed_->journalDir, entry, &ignored);
}

int64_t OutboxFeeder::Recover()
{
    if (!feed_)
        return 0;
    std::vector<OutboxMessage> batch;
    std::vector<Unsettled> unsettled;
    std::optional<JournalPosition> readTo;
    int64_t queued = 0;
    const auto flush = [&] {
        // The cursor stays before a pending line not yet settled, so that
        // a start cut short reads it again.
        std::optional<JournalPosition> to = readTo;
        if (to && !unsettled.empty())
            to = std::min(*to, unsettled.front().start);
        const bool moves = to && (!cursor_ || *cursor_ < *to);
        if (batch.empty() && !moves)
            return;
        outbox_.Add(batch, moves ? to : std::nullopt);
        queued += static_cast<int64_t>(batch.size());
        batch.clear();
        if (moves)
            cursor_ = to;
    };
    const std::optional<JournalPosition>& until = feed_->until;
    for (const auto& file : UnitJournalFiles(feed_->journalDir)) {
        const std::string name = file.filename().string();
        if (cursor_ && name < cursor_->file)
            continue;
        if (until && name > until->file)
            break;
        const int64_t from = cursor_ && name == cursor_->file ? cursor_->offset : 0;
        JournalPosition lineStart {name, from};
        ReadUnitJournalHeadsFrom(
            file, from,
            [&](const std::string& line, const JournalLineHead& head, const JournalPosition& end) {
                const JournalPosition start = std::exchange(lineStart, end);
                readTo = end;
                if (head.slot != feed_->slot)
                    return;
                if (head.pending) {
                    if (auto entry = ParseUnitJournalLine(line))
                        unsettled.push_back({std::move(*entry), head, start});
                    return;
                }
                std::erase_if(unsettled, [&](const Unsettled& u) { return Settles(head, u); });
                // A recovered line's message was queued by the start that wrote it.
                if (head.stored && !head.recovered) {
                    if (auto message = Queued(line))
                        batch.push_back(std::move(*message));
                }
                if (batch.size() >= kRecoveryBatch)
                    flush();
            },
            until && name == until->file ? until->offset : -1,
            [&](const std::string& line, const JournalPosition& end) {
                lineStart = end;
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
    // Pending lines nothing settled: the station died around the commit.
    std::vector<std::string> held;
    std::vector<UnitJournalEntry> recovered;
    for (Unsettled& u : unsettled) {
        switch (Check(u.entry)) {
        case Settled::Stored:
            batch.push_back(feed_->message(u.entry));
            recovered.push_back(std::move(u.entry));
            break;
        case Settled::NotStored:
            break;  // the commit never happened: the unit was not stored
        case Settled::Unknown:
            held.push_back(UnitJournalLine(u.entry));
            break;
        }
    }
    unsettled.clear();
    const bool moves = readTo && (!cursor_ || *cursor_ < *readTo);
    if (!batch.empty() || moves || !held.empty()) {
        outbox_.Add(batch, moves ? readTo : std::nullopt, held);
        queued += static_cast<int64_t>(batch.size());
        if (moves)
            cursor_ = readTo;
    }
    for (UnitJournalEntry& entry : recovered)
        JournalRecovered(std::move(entry));
    nextHeldCheck_ = std::chrono::steady_clock::now() + kHeldCheckInterval;
    return queued;
}

int64_t OutboxFeeder::SettleHeld()
{
    const auto now = std::chrono::steady_clock::now();
    if (!feed_ || now < nextHeldCheck_)
        return 0;
    nextHeldCheck_ = now + kHeldCheckInterval;
    heldReason_.clear();
    int64_t queued = 0;
    for (const auto& [id, line] : outbox_.Held()) {
        const auto entry = ParseUnitJournalLine(line);
        const Settled settled = entry ? Check(*entry) : Settled::NotStored;
        if (settled == Settled::Unknown)
            continue;
        std::vector<OutboxMessage> messages;
        if (settled == Settled::Stored)
            messages.push_back(feed_->message(*entry));
        outbox_.Release(id, messages);
        queued += static_cast<int64_t>(messages.size());
        if (settled == Settled::Stored)
            JournalRecovered(*entry);
    }
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
