// The sender's side of the outbox without a broker: the journal read back
// past the cursor, the inbox, dead letters, the read-only listing and the
// one-sender lock.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "mes/MesHandOff.h"
#include "mes/MesOutbox.h"
#include "mes/MesOutboxLock.h"
#include "mes/OutboxFeeder.h"
#include "records/JournalEvent.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

UnitJournalEntry Unit(const std::string& sn, int slot, bool stored = true)
{
    UnitJournalEntry entry;
    entry.sn = sn;
    entry.slot = slot;
    entry.stored = stored;
    entry.verdict = "PASS";
    entry.recorded = JournalClock::now();
    return entry;
}

// Messages that name their unit, so the test reads which units were queued.
MesJournalFeed Feed(const fs::path& dir, int slot)
{
    return {dir, slot, [](const UnitJournalEntry& entry) { return OutboxMessage {"Unit", "id-" + entry.sn, entry.sn}; }};
}

std::vector<std::string> Queued(MesOutbox& outbox)
{
    std::vector<std::string> sns;
    for (const auto& entry : outbox.After(0, 1000))
        sns.push_back(entry.message);
    return sns;
}

JournalPosition Append(const fs::path& dir, const UnitJournalEntry& entry)
{
    std::string error;
    JournalPosition position;
    EXPECT_TRUE(AppendUnitJournal(dir, entry, &error, &position)) << error;
    return position;
}

class OutboxFeederTest : public testing::Test {
protected:
    TempWorkDir dir;
    MesInbox inbox;
    fs::path file = dir.Path() / kMesOutboxFileName;
};

// Each case: the journal's lines (SN, slot, stored), how many of them the
// outbox's cursor has passed already, and what slot 2 queues on start.
TEST_F(OutboxFeederTest, OnStartTheSlotsStoredUnitsPastTheCursorAreQueued)
{
    const struct {
        const char* name;
        std::vector<UnitJournalEntry> lines;
        int passed;  // -1: the outbox has no cursor
        std::vector<std::string> queued;
    } cases[] = {
        {"new outbox", {Unit("A", 2), Unit("B", 1), Unit("C", 2)}, -1, {"A", "C"}},
        {"cursor after A", {Unit("A", 2), Unit("B", 1), Unit("C", 2)}, 1, {"C"}},
        {"refused units", {Unit("A", 2, false), Unit("B", 2)}, -1, {"B"}},
        {"all passed", {Unit("A", 2), Unit("B", 2)}, 2, {}},
    };
    for (const auto& c : cases) {
        TempWorkDir caseDir;
        std::vector<JournalPosition> ends;
        for (const auto& line : c.lines)
            ends.push_back(Append(caseDir.Path(), line));
        MesOutbox outbox(caseDir.Path() / kMesOutboxFileName);
        if (c.passed > 0)
            outbox.SetCursor(ends[static_cast<size_t>(c.passed) - 1]);
        OutboxFeeder feeder(outbox, inbox, Feed(caseDir.Path(), 2));
        EXPECT_EQ(feeder.Recover(), static_cast<int64_t>(c.queued.size())) << c.name;
        EXPECT_EQ(Queued(outbox), c.queued) << c.name;
        EXPECT_EQ(outbox.Cursor(), ends.back()) << c.name << ": the cursor moved past every line read";
        OutboxFeeder again(outbox, inbox, Feed(caseDir.Path(), 2));
        EXPECT_EQ(again.Recover(), 0) << c.name << ": a second start queues nothing twice";
    }
}

TEST_F(OutboxFeederTest, AUnitReadBackFromTheJournalIsNotQueuedAgainFromTheInbox)
{
    const JournalPosition first = Append(dir.Path(), Unit("A", 0));
    const JournalPosition second = Append(dir.Path(), Unit("B", 0));
    MesOutbox outbox(file);
    OutboxFeeder feeder(outbox, inbox, Feed(dir.Path(), 0));
    // The station pushed A before it died; B after the sender read the journal.
    inbox.Push({Unit("A", 0), first});
    feeder.Recover();
    const JournalPosition third = Append(dir.Path(), Unit("C", 0));
    inbox.Push({Unit("B", 0), second});
    inbox.Push({Unit("C", 0), third});
    EXPECT_EQ(feeder.TakeInbox(), 1);
    EXPECT_EQ(Queued(outbox), (std::vector<std::string> {"A", "B", "C"}));
    EXPECT_EQ(outbox.Cursor(), third);
}

JournalPosition AppendEvent(const fs::path& dir, const std::string& id, int slot)
{
    const JournalEvent event {"Event", slot, JournalClock::now(), id, id};
    std::string error;
    JournalPosition position;
    EXPECT_TRUE(AppendUnitJournalLine(dir, event.recorded, JournalEventLine(event), &error, &position)) << error;
    return position;
}

// A station killed after an event's line was written: on start its message
// is queued in its place among the slot's units, past the cursor only.
TEST_F(OutboxFeederTest, OnStartTheSlotsEventsPastTheCursorAreQueuedInOrderWithTheUnits)
{
    const JournalPosition first = Append(dir.Path(), Unit("A", 2));
    AppendEvent(dir.Path(), "started", 2);
    AppendEvent(dir.Path(), "other slot", 1);
    Append(dir.Path(), Unit("B", 2));
    const JournalPosition last = AppendEvent(dir.Path(), "completed", 2);
    MesOutbox outbox(file);
    outbox.SetCursor(first);
    OutboxFeeder feeder(outbox, inbox, Feed(dir.Path(), 2));
    EXPECT_EQ(feeder.Recover(), 3);
    EXPECT_EQ(Queued(outbox), (std::vector<std::string> {"started", "B", "completed"}));
    EXPECT_EQ(outbox.After(0, 1)[0].uniqueId, "started");
    EXPECT_EQ(outbox.Cursor(), last);
    EXPECT_EQ(OutboxFeeder(outbox, inbox, Feed(dir.Path(), 2)).Recover(), 0);
}

TEST_F(OutboxFeederTest, AnEventFromTheInboxGoesAsItsOwnMessageInOrder)
{
    MesOutbox outbox(file);
    OutboxFeeder feeder(outbox, inbox, Feed(dir.Path(), 0));
    feeder.Recover();
    const JournalPosition started = AppendEvent(dir.Path(), "started", 0);
    const JournalPosition unit = Append(dir.Path(), Unit("A", 0));
    inbox.Push({UnitJournalEntry {}, started, OutboxMessage {"Event", "started", "started"}});
    inbox.Push({Unit("A", 0), unit});
    EXPECT_EQ(feeder.TakeInbox(), 2);
    EXPECT_EQ(Queued(outbox), (std::vector<std::string> {"started", "A"}));
    EXPECT_EQ(outbox.Cursor(), unit);
}

TEST_F(OutboxFeederTest, ALineStillBeingWrittenIsLeftForLater)
{
    const JournalPosition whole = Append(dir.Path(), Unit("A", 0));
    const fs::path journal = UnitJournalPath(dir.Path(), JournalClock::now());
    std::ofstream(journal, std::ios::app) << "{\"station\":\"half a li";
    MesOutbox outbox(file);
    OutboxFeeder feeder(outbox, inbox, Feed(dir.Path(), 0));
    EXPECT_EQ(feeder.Recover(), 1);
    EXPECT_EQ(outbox.Cursor(), whole);
}

TEST_F(OutboxFeederTest, ADeadLetterLeavesTheQueueUntilItIsRetried)
{
    MesOutbox outbox(file);
    for (const char* id : {"a", "b", "c"})
        outbox.Add(OutboxMessage {"Unit", id, id});
    const int64_t first = outbox.After(0, 1)[0].id;
    EXPECT_EQ(outbox.CountRejection(first), 1);
    EXPECT_EQ(outbox.CountRejection(first), 2);
    outbox.Bury(first, "the broker rejected message a");
    EXPECT_EQ(Queued(outbox), (std::vector<std::string> {"b", "c"}));
    ASSERT_EQ(outbox.DeadLetters().size(), 1u);
    EXPECT_EQ(outbox.DeadLetters()[0].uniqueId, "a");
    EXPECT_EQ(outbox.DeadLetters()[0].reason, "the broker rejected message a");
    EXPECT_EQ(outbox.RetryDeadLetters(), 1);
    EXPECT_EQ(Queued(outbox), (std::vector<std::string> {"b", "c", "a"}));
    EXPECT_EQ(outbox.After(0, 10).back().rejections, 0) << "a retried letter starts its count again";
    EXPECT_EQ(outbox.DeadLetterCount(), 0);
}

TEST_F(OutboxFeederTest, TheListingNeverWritesTheOutbox)
{
    {
        MesOutbox outbox(file);
        outbox.Add(OutboxMessage {"Unit", "a", "{}"});
        outbox.Bury(outbox.After(0, 1)[0].id, "rejected");
    }
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    chmod(file.c_str(), 0444);
    const ProgramRun list = RunProgram({RURIZUDA_MES_PROGRAM, "list", file.string()});
    EXPECT_EQ(list.status, 0) << list.out;
    EXPECT_NE(list.out.find("0 waiting\ndead letter\t"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\trejected\n1 dead letter\n"), std::string::npos) << list.out;
    chmod(file.c_str(), 0644);

    // A file that is not an outbox is not given the outbox's tables.
    std::ofstream(dir.Path() / "plain.db") << "";
    RunProgram({RURIZUDA_MES_PROGRAM, "list", (dir.Path() / "plain.db").string()});
    EXPECT_EQ(fs::file_size(dir.Path() / "plain.db"), 0u);
}

TEST_F(OutboxFeederTest, OnlyOneSenderHoldsAnOutbox)
{
    std::string error;
    const auto held = MesOutboxLock::Take(file, &error);
    ASSERT_TRUE(held) << error;
    EXPECT_FALSE(MesOutboxLock::Take(file, &error));
    EXPECT_NE(error.find("held by another sender (process " + std::to_string(getpid()) + ")"), std::string::npos)
        << error;
    MesOutbox(file).Add(OutboxMessage {"Unit", "a", "{}"});
    const ProgramRun send = RunProgram({"/bin/sh", "-c",
                                        std::string("timeout 20 ") + RURIZUDA_MES_PROGRAM +
                                            " send --url amqp://127.0.0.1:1 --address /queue/q " + file.string() +
                                            " 2>&1"});
    EXPECT_EQ(send.status, 1) << send.out;
    EXPECT_NE(send.out.find("held by another sender (process " + std::to_string(getpid()) + ")"), std::string::npos)
        << send.out;
}

TEST_F(OutboxFeederTest, AStationWithoutSlotsReportsPositionOne)
{
    const std::pair<int, int> cases[] = {{0, 1}, {1, 1}, {3, 3}};
    for (const auto& [slot, position] : cases)
        EXPECT_EQ(MesPositionOf(slot), position) << slot;
}

TEST_F(OutboxFeederTest, StatusTextNamesDeadLetters)
{
    EXPECT_EQ(MesStatusText(0, "", 1), "MES: 1 dead letter");
    EXPECT_EQ(MesStatusText(2, "", 3), "MES: 2 waiting, 3 dead letters");
    EXPECT_EQ(MesStatusText(0, "rejected", 1), "MES: 1 dead letter (rejected)");
}

}  // namespace
