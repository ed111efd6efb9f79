// The per-unit journal: whole lines appended, read back, torn lines skipped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>

#include "records/JournalEvent.h"
#include "records/UnitJournal.h"
#include "tests/support/TempDir.h"

namespace {

using namespace std::chrono_literals;

JournalClock::time_point At(int64_t epochSeconds, int millis = 0)
{
    return JournalClock::time_point(std::chrono::seconds(epochSeconds) + std::chrono::milliseconds(millis));
}

// 2026-12-07 during the working day, whatever the local time zone.
constexpr int64_t kMonday = 1796601600 + 12 * 3600;

UnitJournalEntry Entry(const std::string& sn)
{
    UnitJournalEntry entry;
    entry.station = "LINE2-ST04";
    entry.sn = sn;
    entry.mac = "A4-5E-60-C1-22-9F";
    entry.imei = "867400012345678";
    entry.pcbaSn = "PC26A77";
    entry.testStart = At(kMonday, 250);
    entry.testEnd = At(kMonday + 41, 125);
    entry.recorded = At(kMonday + 60);
    entry.verdict = "FAIL";
    entry.stored = false;
    entry.refusal = "Written SN is already in database ";
    entry.maintenance = true;
    entry.items = {{"READ IMEI", "PASS", {"867400012345678"}, "86740", 412},
                   {"RSSI CHECK", "FAIL", {"63", "", "45"}, "30/30/30", 1290, 612},
                   {"KEY TEST", "", {}, "", 0}};
    return entry;
}

void ExpectSame(const UnitJournalEntry& a, const UnitJournalEntry& b)
{
    EXPECT_EQ(UnitJournalLine(a), UnitJournalLine(b));
}

TEST(UnitJournal, AnEntryIsReadBackAsWritten)
{
    TempWorkDir dir;
    std::string error;
    UnitJournalEntry second = Entry("RZ2");
    second.testStart.reset();
    second.testEnd.reset();
    second.stored = true;
    second.refusal = "";
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ1"), &error)) << error;
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), second, &error)) << error;

    const auto file = UnitJournalPath(dir.Path(), Entry("RZ1").recorded);
    EXPECT_EQ(file.parent_path(), dir.Path() / "units");
    EXPECT_EQ(file.filename().string().size(), std::string("2026-12-07.jsonl").size());
    const UnitJournalRead read = ReadUnitJournal(file);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.skippedLines, 0);
    ExpectSame(read.entries[0], Entry("RZ1"));
    ExpectSame(read.entries[1], second);
    EXPECT_EQ(*read.entries[0].testEnd - *read.entries[0].testStart, 40875ms);
    EXPECT_EQ(read.entries[0].items[1].values, (std::vector<std::string>{"63", "", "45"}));
    EXPECT_FALSE(read.entries[1].testStart.has_value());
}

TEST(UnitJournal, EveryLineIsOneJsonObjectEndedByALineFeed)
{
    const std::string line = UnitJournalLine(Entry("RZ1"));
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line.back(), '\n');
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_EQ(line.front(), '{');
    EXPECT_NE(line.find("\"duration_ms\":1290"), std::string::npos);
    EXPECT_NE(line.find("\"start_ms\":612"), std::string::npos);
    std::string older = line;
    older.erase(older.find(",\"start_ms\":612"), std::string(",\"start_ms\":612").size());
    EXPECT_EQ(ParseUnitJournalLine(older)->items[1].startMs, 0) << "lines from before item start times still read";
    EXPECT_NE(line.find("\"maintenance\":true"), std::string::npos);
}

TEST(UnitJournal, TheOperatorIsWrittenOnlyWhenSignedIn)
{
    UnitJournalEntry signedIn = Entry("RZ1");
    signedIn.operatorId = "B-00417";
    const std::string line = UnitJournalLine(signedIn);
    EXPECT_NE(line.find("\"operator\":\"B-00417\""), std::string::npos);
    EXPECT_EQ(ParseUnitJournalLine(line)->operatorId, "B-00417");

    const std::string without = UnitJournalLine(Entry("RZ1"));
    EXPECT_EQ(without.find("\"operator\""), std::string::npos) << "a line without sign-in is as before";
    EXPECT_EQ(ParseUnitJournalLine(without)->operatorId, "");
}

TEST(UnitJournal, BytesThatAreNotUtf8DoNotLoseTheRecord)
{
    UnitJournalEntry entry = Entry("RZ\xff\xfe");
    entry.items[0].values = {"\xc3"};
    const auto parsed = ParseUnitJournalLine(UnitJournalLine(entry));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->sn, "RZ\xef\xbf\xbd\xef\xbf\xbd");
    EXPECT_EQ(parsed->items[0].values[0], "\xef\xbf\xbd");
}

TEST(UnitJournal, ATornLineIsSkippedAndTheNextAppendStartsOnItsOwnLine)
{
    TempWorkDir dir;
    std::string error;
    const auto file = UnitJournalPath(dir.Path(), Entry("RZ1").recorded);
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ1"), &error));
    const std::string whole = UnitJournalLine(Entry("RZ2"));
    {
        std::ofstream(file, std::ios::app | std::ios::binary) << whole.substr(0, whole.size() / 2);
    }
    UnitJournalRead read = ReadUnitJournal(file);
    EXPECT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.skippedLines, 1);

    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ3"), &error));
    read = ReadUnitJournal(file);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].sn, "RZ3");
    EXPECT_EQ(read.skippedLines, 1);
}

TEST(UnitJournal, LinesThatAreNotEntriesAreSkipped)
{
    const char* lines[] = {"", "{", "[]", "{}", "42", R"({"station":"S"})"};
    for (const char* line : lines)
        EXPECT_FALSE(ParseUnitJournalLine(line).has_value()) << line;
    std::string badTime = UnitJournalLine(Entry("RZ1"));
    badTime.replace(badTime.find("\"recorded\":\"") + 12, 4, "20xx");
    EXPECT_FALSE(ParseUnitJournalLine(badTime).has_value());
}

// A pending line is neither a unit nor a torn line for the journal's
// readers; the line that settles it, or the sender's recovered line, is the
// unit.
TEST(UnitJournal, PendingLinesAreNoUnitsAndReadBackWithTheirRowTime)
{
    TempWorkDir dir;
    std::string error;
    UnitJournalEntry pending = Entry("RZ1");
    pending.pending = true;
    pending.dtime = "Mon Dec  7 13:01:00 2026\n";
    UnitJournalEntry recovered = Entry("RZ2");
    recovered.recovered = true;
    for (const auto& entry : {pending, Entry("RZ1"), recovered})
        ASSERT_TRUE(AppendUnitJournal(dir.Path(), entry, &error)) << error;
    const UnitJournalRead read = ReadUnitJournal(UnitJournalPath(dir.Path(), pending.recorded));
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.pendingLines, 1);
    EXPECT_EQ(read.skippedLines, 0);
    EXPECT_FALSE(read.entries[0].recovered);
    EXPECT_TRUE(read.entries[1].recovered);

    const auto back = ParseUnitJournalLine(UnitJournalLine(pending));
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(back->pending);
    EXPECT_EQ(back->dtime, pending.dtime);
    EXPECT_TRUE(SameJournalUnit(*back, Entry("RZ1")));
    EXPECT_EQ(UnitJournalLine(Entry("RZ1")).find("pending"), std::string::npos) << "plain lines stay as they were";
}

TEST(UnitJournal, SameUnitIsSlotSnAndRecordTime)
{
    UnitJournalEntry otherSlot = Entry("RZ1");
    otherSlot.slot = 2;
    UnitJournalEntry later = Entry("RZ1");
    later.recorded += 1ms;
    UnitJournalEntry finer = Entry("RZ1");
    finer.recorded += 1us;
    const std::pair<UnitJournalEntry, bool> cases[] = {
        {Entry("RZ1"), true}, {Entry("RZ2"), false}, {otherSlot, false}, {later, false}, {finer, true}};
    for (const auto& [entry, same] : cases)
        EXPECT_EQ(SameJournalUnit(Entry("RZ1"), entry), same) << entry.sn << " slot " << entry.slot;
}

TEST(UnitJournal, ReadingStopsAtTheJournalsEndAsItWasWhenAsked)
{
    TempWorkDir dir;
    std::string error;
    EXPECT_EQ(UnitJournalEnd(dir.Path()), JournalPosition {}) << "no file yet";
    JournalPosition first;
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ1"), &error, &first));
    const JournalPosition end = UnitJournalEnd(dir.Path());
    EXPECT_EQ(end, first);
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ2"), &error));
    std::vector<std::string> read;
    ReadUnitJournalFrom(UnitJournalPath(dir.Path(), Entry("RZ1").recorded), 0,
                        [&](UnitJournalEntry&& entry, const JournalPosition&) { read.push_back(entry.sn); },
                        end.offset);
    EXPECT_EQ(read, std::vector<std::string> {"RZ1"});
}

TEST(UnitJournal, AnEventLineIsReadBackWholeAndUnitReadersPassOverIt)
{
    TempWorkDir dir;
    const JournalEvent event {"CFX.Production.WorkStarted", 3, Entry("RZ1").recorded, "id-1",
                              R"({"MessageName":"CFX.Production.WorkStarted","x":"a\"b\n"})"};
    const std::string line = JournalEventLine(event);
    const auto parsed = ParseJournalEventLine(line.substr(0, line.size() - 1));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->name, event.name);
    EXPECT_EQ(parsed->slot, 3);
    EXPECT_EQ(parsed->uniqueId, "id-1");
    EXPECT_EQ(parsed->message, event.message) << "the message comes back byte for byte";
    EXPECT_EQ(JournalTimeText(parsed->recorded), JournalTimeText(event.recorded));
    EXPECT_FALSE(ParseJournalEventLine(UnitJournalLine(Entry("RZ1"))).has_value());
    EXPECT_FALSE(ParseJournalEventLine(line.substr(0, line.size() / 2)).has_value()) << "a torn event line";

    std::string error;
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ1"), &error));
    ASSERT_TRUE(AppendUnitJournalLine(dir.Path(), event.recorded, line, &error));
    ASSERT_TRUE(AppendUnitJournal(dir.Path(), Entry("RZ2"), &error));
    const UnitJournalRead read = ReadUnitJournal(UnitJournalPath(dir.Path(), event.recorded));
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].sn, "RZ2");
    EXPECT_EQ(read.skippedLines, 0) << "an event line is not a torn unit";
}

TEST(UnitJournal, AFolderThatCannotBeWrittenGivesAReason)
{
    TempWorkDir dir;
    {
        std::ofstream("units") << "a file where the folder should be";
    }
    std::string error;
    EXPECT_FALSE(AppendUnitJournal(dir.Path(), Entry("RZ1"), &error));
    EXPECT_NE(error.find("units"), std::string::npos);
    EXPECT_FALSE(ReadUnitJournal(dir.Path() / "units" / "none.jsonl").opened);
}

}  // namespace

namespace {

// The MES's go-ahead: in the line when the station asked for it, absent
// (and read back as "") when it did not.
TEST(UnitJournal, TheValidationIsKeptOnlyWhenTheStationAskedForIt)
{
    for (const std::string validation : {"", "passed", "refused", "not validated"}) {
        UnitJournalEntry entry = Entry("RZ1");
        entry.validation = validation;
        const std::string line = UnitJournalLine(entry);
        EXPECT_EQ(line.find("\"validation\"") != std::string::npos, !validation.empty()) << line;
        const auto read = ParseUnitJournalLine(line);
        ASSERT_TRUE(read) << line;
        EXPECT_EQ(read->validation, validation);
    }
}

}  // namespace
