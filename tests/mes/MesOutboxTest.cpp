// The outbox file and the status text made from it.
#include <gtest/gtest.h>

#include "mes/MesHandOff.h"
#include "mes/MesOutbox.h"
#include "mes/UniqueId.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> Ids(const std::vector<OutboxEntry>& entries)
{
    std::vector<std::string> ids;
    for (const auto& entry : entries)
        ids.push_back(entry.uniqueId);
    return ids;
}

TEST(MesOutbox, KeepsEntriesInOrderAcrossReopeningAndNeverReusesAnId)
{
    TempWorkDir dir;
    const auto file = dir.Path() / kMesOutboxFileName;
    int64_t last = 0;
    {
        MesOutbox outbox(file);
        for (const char* id : {"a", "b", "c"})
            outbox.Add(id, std::string("{\"m\":\"") + id + "\"}");
        const auto entries = outbox.After(0, 10);
        last = entries.back().id;
        outbox.Remove({last});
        EXPECT_EQ(Ids(outbox.After(entries[0].id, 10)), std::vector<std::string>({"b"}));
    }
    MesOutbox reopened(file);
    reopened.Add("d", "{}");
    const auto entries = reopened.After(0, 10);
    EXPECT_EQ(Ids(entries), std::vector<std::string>({"a", "b", "d"}));
    EXPECT_GT(entries.back().id, last) << "a removed last id is not given again";
    EXPECT_EQ(entries[0].message, "{\"m\":\"a\"}");
    EXPECT_EQ(reopened.Count(), 3);
    EXPECT_EQ(reopened.After(0, 2).size(), 2u);
}

// A unit kept as its journal line goes out as the message made at once
// would, byte for byte; made once, it stays; a line that cannot be read is
// a dead letter, not a stall.
TEST(MesOutbox, AUnitKeptAsItsLineIsMadeWhenFirstReadAndKept)
{
    TempWorkDir dir;
    const auto file = dir.Path() / kMesOutboxFileName;
    UnitJournalEntry unit;
    unit.sn = "086740001234567";
    unit.slot = 2;
    unit.verdict = "PASS";
    unit.stored = true;
    unit.recorded = JournalClock::now();
    const CfxSender sender {"Factory.Line1.ST-09", 2};
    const CfxMessage made = UnitsTestedMessage(*ParseUnitJournalLine(UnitJournalLine(unit)), sender);
    MesOutbox outbox(file);
    outbox.Add({OutboxMessage {kUnitsTestedMessageName, "", "", UnitJournalLine(unit), sender},
                OutboxMessage {kUnitsTestedMessageName, "", "", "{\"sn\": 1}", sender}});
    EXPECT_TRUE(MesOutbox(file, OutboxAccess::ReadOnly).After(0, 10).at(0).message == made.json)
        << "the listing reads it too";
    const auto entries = outbox.After(0, 10);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].uniqueId, made.uniqueId);
    EXPECT_TRUE(entries[0].message == made.json);
    EXPECT_EQ(entries[0].name, kUnitsTestedMessageName);
    EXPECT_EQ(outbox.DeadLetterCount(), 1);
    EXPECT_EQ(Ids(MesOutbox(file, OutboxAccess::ReadOnly).After(0, 10)), std::vector<std::string> {made.uniqueId})
        << "kept as made";
}

TEST(MesOutbox, TheListingShowsWhatWaitsOldestFirst)
{
    TempWorkDir dir;
    MesOutbox outbox(dir.Path() / kMesOutboxFileName);
    UnitJournalEntry unit;
    unit.sn = "RZ26A0145999";
    unit.verdict = "FAIL";
    const OutboxMessage message = UnitsTestedOutboxMessage(unit, {"h", 1});
    outbox.Add(message);
    outbox.Add("u-2", "not a message");

    const ProgramRun list = RunProgram({RURIZUDA_MES_PROGRAM, "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("\t" + message.uniqueId + "\tRZ26A0145999\tFailed\n"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("\tu-2\t?\t?\n2 waiting\n"), std::string::npos) << list.out;
    EXPECT_NE(RunProgram({RURIZUDA_MES_PROGRAM, "list", "missing.db"}).status, 0);
}

TEST(MesOutbox, StatusTextTellsHowManyWaitAndWhy)
{
    const struct {
        int64_t waiting;
        std::string failure;
        std::string text;
    } cases[] = {
        {0, "", ""},
        {3, "", "MES: 3 waiting"},
        {0, "refused", "MES: 0 waiting (refused)"},
        {50, "Connection refused", "MES: 50 waiting (Connection refused)"},
        {-1, "", "MES: outbox unreadable"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MesStatusText(c.waiting, c.failure), c.text);
}

}  // namespace
