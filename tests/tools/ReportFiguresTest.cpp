// Yield figures over result databases with known rows.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/TempDir.h"
#include "tests/tools/ReportFixture.h"
#include "tools/rurizuda-report/CsvExport.h"
#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/ItemDurations.h"
#include "tools/rurizuda-report/ReportQueries.h"
#include "tools/rurizuda-report/SignalFigures.h"
#include "tools/rurizuda-report/SqliteReportDatabase.h"
#include "tools/rurizuda-report/StationSections.h"
#include "tools/rurizuda-report/YieldFigures.h"

namespace {

std::unique_ptr<ReportDatabase> OpenBoth(const std::filesystem::path& dir)
{
    std::vector<std::string> notes;
    auto db = OpenResultFiles((dir / "PASS.mdb").string(), (dir / "FAIL.mdb").string(), "S1", &notes);
    EXPECT_EQ(notes, std::vector<std::string>{});
    return db;
}

YieldFigures YieldOf(const std::vector<FixtureRow>& rows, std::optional<WallSeconds> from = std::nullopt,
                     std::optional<WallSeconds> to = std::nullopt)
{
    WriteResultDbs(std::filesystem::current_path(), rows);
    return ComputeYield(*OpenBoth(std::filesystem::current_path()), from, to);
}

std::vector<std::pair<std::string, int>> Pareto(const YieldFigures& f)
{
    std::vector<std::pair<std::string, int>> out;
    for (const auto& item : f.pareto)
        out.emplace_back(item.item, item.failures);
    return out;
}

class ReportFiguresTest : public ::testing::Test {
protected:
    ReportFiguresTest() { WriteResultDbs(dir_.Path(), LineDayRows()); }
    YieldFigures Yield(std::optional<WallSeconds> from, std::optional<WallSeconds> to)
    {
        return ComputeYield(*OpenBoth(dir_.Path()), from, to);
    }
    TempWorkDir dir_;
};

TEST_F(ReportFiguresTest, OneDayGivesExactYieldsCountsAndParetoOrder)
{
    const auto day = ParseDate("2026-12-07");
    const YieldFigures f = Yield(day, day);
    EXPECT_EQ(f.rows, 10);
    EXPECT_EQ(f.passRows, 6);
    EXPECT_EQ(f.failRows, 4);
    // G1 was first stored the day before: not among the day's units.
    EXPECT_EQ(f.units, 6);
    EXPECT_EQ(f.firstPassUnits, 3);  // A1, D1 and the unit without SN
    EXPECT_EQ(f.finalPassUnits, 4);  // B1 passed on retest; D1's later failure is after the period
    EXPECT_DOUBLE_EQ(f.FirstPassYield(), 50.0);
    ASSERT_FALSE(f.perDay);
    ASSERT_EQ(f.buckets.size(), 3u);
    EXPECT_EQ(WallTimeText(f.buckets[0].start), "2026-12-07 08:00:00");
    // Units by their first row: retests (B1, C1 at 09:xx, A1 at 10:50) and G1 do not count again.
    EXPECT_EQ(f.buckets[0].passed, 1);
    EXPECT_EQ(f.buckets[0].failed, 2);
    EXPECT_EQ(f.buckets[1].passed, 1);
    EXPECT_EQ(f.buckets[1].failed, 0);
    EXPECT_EQ(f.buckets[2].passed, 1);
    EXPECT_EQ(f.buckets[2].failed, 1);
    // Ties keep the station's item order.
    EXPECT_EQ(Pareto(f), (std::vector<std::pair<std::string, int>>{
                             {"KEY TEST", 3}, {"LED", 1}, {"WIFI STATUS", 1}, {"LOCK PN", 1}}));
    // One line per unit, its latest failure first.
    ASSERT_EQ(f.recentFails.size(), 3u);
    EXPECT_EQ(f.recentFails[0].sn, "E1");
    EXPECT_EQ(f.recentFails[0].items, std::vector<std::string>{"LOCK PN"});
    EXPECT_EQ(f.recentFails[1].sn, "C1");
    EXPECT_EQ(WallTimeText(f.recentFails[1].time), "2026-12-07 09:40:00");
    EXPECT_EQ(f.recentFails[1].items, (std::vector<std::string>{"KEY TEST", "WIFI STATUS"}));
    EXPECT_EQ(f.recentFails[2].sn, "B1");
    EXPECT_EQ(f.recentFails[2].imei, "867400012345678");
}

TEST_F(ReportFiguresTest, WithoutPeriodEveryRowAndUnitCounts)
{
    const YieldFigures f = Yield(std::nullopt, std::nullopt);
    EXPECT_EQ(f.rows, 12);
    EXPECT_EQ(f.units, 7);
    EXPECT_EQ(f.firstPassUnits, 3);
    EXPECT_EQ(f.finalPassUnits, 4);  // G1 now passes finally, D1 fails finally
    ASSERT_FALSE(f.perDay);
    EXPECT_EQ(f.buckets.size(), 18u);  // every hour from Sunday 17:00 to the last new unit's, empty ones too
    EXPECT_EQ(Pareto(f), (std::vector<std::pair<std::string, int>>{
                             {"KEY TEST", 3}, {"READ SIM", 1}, {"LED", 1}, {"WIFI STATUS", 1}, {"CHARGING", 1},
                             {"LOCK PN", 1}}));
}

TEST(ReportFigures, LongPeriodsAreChartedPerDay)
{
    TempWorkDir dir;
    const YieldFigures f = YieldOf({{true, "Tue Dec  1 10:00:00 2026\n", "A", {}},
                                    {false, "Tue Dec  1 23:59:59 2026\n", "B", {}},
                                    {false, "Sat Dec  5 00:00:00 2026\n", "C", {}}});
    ASSERT_TRUE(f.perDay);
    ASSERT_EQ(f.buckets.size(), 5u);
    EXPECT_EQ(BucketLabel(f, f.buckets[0]), "2026-12-01");
    EXPECT_EQ(f.buckets[0].passed, 1);
    EXPECT_EQ(f.buckets[0].failed, 1);
    EXPECT_EQ(f.buckets[4].failed, 1);
}

TEST(ReportFigures, UnreadableTimesAreCountedAndLeftOut)
{
    TempWorkDir dir;
    // X2: time unreadable, failed, no failed item stored; X3 never gets a time.
    const YieldFigures f = YieldOf({{true, "Mon Dec  7 08:05:00 2026\n", "X1", {}},
                                    {false, "Mon Dec  7 08:05:09 2026 trailing\n", "X2", {}},
                                    {false, "Mon Dec  7 08:06:00 2026\n", "", {}}});
    EXPECT_EQ(f.unreadableTimes, 1);
    EXPECT_EQ(f.units, 2);
    EXPECT_EQ(f.rows, 2);
    EXPECT_EQ(Pareto(f), (std::vector<std::pair<std::string, int>>{{kNoItemRecorded, 1}}));
    TempWorkDir empty;
    EXPECT_EQ(YieldOf({}).FinalYield(), 0.0);
}

// The keys the engine builds from DTIME sort like the times and read back
// as them; the bounds made from a day compare with them as times would.
TEST(ReportQueries, StoreKeysSortLikeTimesAndReadBack)
{
    TempWorkDir dir;
    const char* const times[] = {
        "Thu Dec 31 23:59:59 2026\n", "Fri Jan  1 00:00:00 2027\n", "Mon Feb  1 09:00:00 2027\n",
        "Tue Feb  9 09:00:00 2027\n", "Wed Feb 10 09:00:00 2027\n", "Sat Oct  2 09:00:00 2027\n",
    };
    std::vector<FixtureRow> rows;
    for (const char* dtime : times)
        rows.push_back({true, dtime, dtime, {}});
    rows.push_back({true, "Mon Dex  7 08:05:09 2026\n", "bad", {}});
    WriteResultDb("PASS.mdb", rows);
    std::vector<std::string> notes;
    auto db = OpenResultFiles("PASS.mdb", "FAIL.mdb", "S1", &notes);
    std::vector<std::pair<std::string, std::string>> keys;  // key, T
    db->Query("SELECT " + StoreKeySql(*db) + ", T FROM " + TimedRowsSql(*db) + " ORDER BY ORD",
              [&](const SqlRow& row) {
                  keys.emplace_back(TextOf(row[0]), TextOf(row[1]));
                  return true;
              });
    ASSERT_EQ(keys.size(), std::size(times) + 1);
    EXPECT_EQ(keys.back(), std::make_pair(std::string(), std::string()));  // not a ctime text: NULL
    for (size_t i = 0; i < std::size(times); ++i) {
        const auto time = ParseWallTime(keys[i].second);
        ASSERT_TRUE(time) << keys[i].second;
        EXPECT_EQ(ParseStoreKey(keys[i].first), time) << keys[i].first;
        EXPECT_EQ(StoreKeyOf(*time), keys[i].first);
        if (i > 0) {
            EXPECT_LT(keys[i - 1].first, keys[i].first);
        }
    }
    EXPECT_EQ(ParseStoreHour("Mon Dec  7 08 2026\n"), ParseWallTime("2026-12-07 08:00:00"));
    EXPECT_FALSE(ParseStoreHour("Mon Dec  7 08 2026 trailing\n"));
    EXPECT_FALSE(ParseStoreHour("Mon Dec  7 8 2026"));
    EXPECT_FALSE(ParseStoreKey("2026102 7 08:05:09"));  // no month starts at place 2
}

// Each figure keeps a row stored in the last second of the period and leaves
// out one stored in the first second after it.
TEST(ReportQueries, PeriodEndsAreTheDaysEdges)
{
    TempWorkDir dir;
    WriteResultDbs(dir.Path(), {{true, "Sun Dec  6 23:59:59 2026\n", "before", {{"RSSI2G", "10"}}},
                                {false, "Mon Dec  7 00:00:00 2026\n", "first", {{"RSSI2G", "20"}}},
                                {true, "Mon Dec  7 23:59:59 2026\n", "last", {{"RSSI2G", "30"}}},
                                {false, "Tue Dec  8 00:00:00 2026\n", "after", {{"RSSI2G", "40"}}}});
    const auto day = ParseDate("2026-12-07");
    auto db = OpenBoth(dir.Path());
    const YieldFigures f = ComputeYield(*db, day, day);
    EXPECT_EQ(f.rows, 2);
    EXPECT_EQ(f.units, 2);
    EXPECT_EQ(f.firstPassUnits, 1);
    ASSERT_EQ(f.recentFails.size(), 1u);
    EXPECT_EQ(f.recentFails[0].sn, "first");
    const auto signals = ComputeSignals(*db, day, day, {});
    EXPECT_EQ(signals[0].line.counts, (std::map<int, int>{{20, 1}, {30, 1}}));
    std::ostringstream csv;
    WriteCsv(csv, *db, day, day);
    EXPECT_EQ(csv.str().find("before"), std::string::npos);
    EXPECT_EQ(csv.str().find("after"), std::string::npos);
    EXPECT_LT(csv.str().find("first"), csv.str().find("last"));
}

// A unit stored in both files at the same second passed first: the pass file
// is read before the failure file, as the station stores them.
TEST(ReportQueries, UnitsAcrossBothFilesTakeTheirFirstAndLastRow)
{
    TempWorkDir dir;
    WriteResultDbs(dir.Path(), {{false, "Mon Dec  7 08:00:00 2026\n", "A", {{"LED", "FAIL"}}},
                                {true, "Mon Dec  7 09:00:00 2026\n", "A", {}},
                                {true, "Mon Dec  7 10:00:00 2026\n", "B", {}},
                                {false, "Mon Dec  7 11:00:00 2026\n", "B", {{"LED", "FAIL"}}},
                                {true, "Mon Dec  7 12:00:00 2026\n", "C", {}},
                                {false, "Mon Dec  7 12:00:00 2026\n", "C", {{"LED", "FAIL"}}}});
    const YieldFigures f = ComputeYield(*OpenBoth(dir.Path()), std::nullopt, std::nullopt);
    EXPECT_EQ(f.units, 3);
    EXPECT_EQ(f.firstPassUnits, 2);  // B, C
    EXPECT_EQ(f.finalPassUnits, 1);  // A; B and C end failed
    ASSERT_EQ(f.stations.size(), 1u);
    EXPECT_EQ(f.stations[0].station, "S1");
    EXPECT_EQ(f.stations[0].itemFailures[4], 3);  // LED
}

TEST(SignalFigures, ThresholdMedianAndDriftLimitAreInclusive)
{
    TempWorkDir dir;
    std::vector<FixtureRow> rows;
    const char* const values[] = {"28", "29", "30", "30", "31", "n/a", ""};
    for (const char* value : values)
        rows.push_back({true, "Mon Dec  7 08:00:00 2026\n", "", {{"RSSI2G", value}}});
    WriteResultDbs(dir.Path(), rows);
    SignalSettings settings;
    settings.thresholds[0] = 30;
    settings.driftLimit = 0;
    const auto signals = ComputeSignals(*OpenBoth(dir.Path()), std::nullopt, std::nullopt, settings);
    const SignalHistogram& line = signals[0].line;
    EXPECT_EQ(line.rows, 5);       // the text that is no number is left out
    EXPECT_EQ(line.atOrBelow, 4);  // a value equal to the threshold does not pass
    EXPECT_EQ(line.median, 30);
    EXPECT_DOUBLE_EQ(line.ShareAtOrBelow(), 80.0);
    EXPECT_TRUE(signals[0].drifting.empty());  // one station is the line: no drift even at limit 0
    EXPECT_FALSE(signals[1].threshold);
}

// Two stations; KEY TEST fails most at S2 by share though S1 has more failures.
TEST(StationSections, MatrixMarksTheHighestSharesAndTablesEscapeNames)
{
    YieldFigures f;
    StationFigures s1, s2;
    s1.station = "S<1>";
    s1.rows = 100;
    s1.itemFailures.assign(std::size(kItemColumns) + 1, 0);
    s2 = s1;
    s2.station = "S2";
    s2.rows = 10;
    s1.itemFailures[2] = 4;   // KEY TEST 4%
    s2.itemFailures[2] = 3;   // KEY TEST 30%
    s1.itemFailures[4] = 20;  // LED 20%
    s1.itemFailures[9] = 1;   // WIFI STATUS 1%
    s2.itemFailures[9] = 1;   // WIFI STATUS 10%
    f.stations = {s1, s2};
    const std::string html = FailureMatrixHtml(f);
    std::vector<std::string> worst;
    static const std::regex cell(R"re(<td class="worst">([^<]*)</td>)re");
    for (std::sregex_iterator it(html.begin(), html.end(), cell), end; it != end; ++it)
        worst.push_back((*it)[1]);
    EXPECT_EQ(worst, (std::vector<std::string>{"3 (30.0%)", "20 (20.0%)", "1 (10.0%)"}));
    EXPECT_NE(html.find("<th>S&lt;1&gt;</th>"), std::string::npos);
    EXPECT_EQ(html.find("SIM"), std::string::npos);  // items without failures have no row
    EXPECT_NE(StationTableHtml(f).find("<td>S&lt;1&gt;</td>"), std::string::npos);
    EXPECT_EQ(FailureMatrixHtml(YieldFigures{}), "<p class=\"empty\">No failures in this period.</p>");
}

TEST(ItemDurations, MedianAndNinetyFifthPercentilePerStation)
{
    TempWorkDir dir;
    UnitJournalEntry entry;
    entry.recorded = JournalClock::now();
    std::string error;
    for (int run = 1; run <= 20; ++run) {
        entry.station = "S1";
        entry.items = {{"READ IMEI", "PASS", {}, "", run * 100}};
        ASSERT_TRUE(AppendUnitJournal(dir.Path() / "s1", entry, &error)) << error;
    }
    entry.station = "S2";
    entry.items = {{"READ IMEI", "PASS", {}, "", 50}, {"LED", "FAIL", {}, "", 7000}};
    ASSERT_TRUE(AppendUnitJournal(dir.Path() / "s2", entry, &error)) << error;

    const JournalFiles files = FindJournalFiles({"s2", "s1/units"}, std::nullopt, std::nullopt);
    ASSERT_EQ(files.error, "");
    ASSERT_EQ(files.files.size(), 2u);
    ItemDurationTable table;
    for (const auto& file : files.files)
        table.Add(ReadUnitJournal(file));
    std::vector<std::tuple<std::string, std::string, int, int64_t, int64_t>> got;
    for (const auto& d : table.Durations())
        got.emplace_back(d.station, d.item, d.runs, d.medianMs, d.p95Ms);
    EXPECT_EQ(got, (decltype(got){{"S1", "READ IMEI", 20, 1000, 1900},
                                  {"S2", "READ IMEI", 1, 50, 50},
                                  {"S2", "LED", 1, 7000, 7000}}));
    const auto yesterday = ParseDate(WallDateText(std::time(nullptr) - 2 * 86400));
    EXPECT_TRUE(FindJournalFiles({"s1"}, std::nullopt, yesterday).files.empty());
    EXPECT_NE(FindJournalFiles({"absent"}, std::nullopt, std::nullopt).error, "");
}

TEST(FailedItems, EachColumnFailsOnAnyTextButItsPassText)
{
    struct Case {
        const char* column;
        const char* value;
        bool fails;
    };
    const Case cases[] = {
        {"KAVOKEY", "FAIL", true},           {"KAVOKEY", "PASS", false},
        {"KAVOKEY", "", false},              {"SIM", "SIM not inserted", true},
        {"SIM", "SIM inserted", false},      {"SD", "SD cannot read", true},
        {"LOCKPN", "ALREADY LOCKED", true},  {"LOCKPN", "LOCK SUCCESS", false},
        {"ISLINUXUSBMODE", "FAIL", true},    {"RSSI2G", "FAIL", false},  // a signal value, not a result
        {"ISREPAIR", "YES", false},
    };
    for (const auto& c : cases) {
        ReportRow row;
        for (size_t i = 0; i < kResultColumns.size(); ++i) {
            if (kResultColumns[i] == c.column)
                row.columns[i] = c.value;
        }
        EXPECT_EQ(!FailedItems(row).empty(), c.fails) << c.column << "=" << c.value;
    }
}

TEST(ResultRows, StoreTimesAndDates)
{
    TempWorkDir dir;
    const std::pair<const char*, const char*> times[] = {
        {"Mon Dec  7 08:05:09 2026\n", "2026-12-07 08:05:09"},
        {"Thu Dec 31 23:59:59 2026\r\n", "2026-12-31 23:59:59"},
        {"", ""},
        {"Mon Dec  7 08:05:09 2026 trailing\n", ""},
        {"Mon Dex  7 08:05:09 2026\n", ""},
        {"2026-12-07 08:05:09", ""},
    };
    std::vector<FixtureRow> rows;
    for (const auto& [dtime, time] : times)
        rows.push_back({true, dtime, dtime, {}});
    WriteResultDb("PASS.mdb", rows);
    std::vector<std::string> notes;
    auto db = OpenResultFiles("PASS.mdb", "FAIL.mdb", "S1", &notes);
    std::map<std::string, std::string> read;
    db->Query("SELECT SN, T FROM " + TimedRowsSql(*db), [&](const SqlRow& row) {
        read[TextOf(row[0])] = TextOf(row[1]);
        return true;
    });
    for (const auto& [dtime, time] : times)
        EXPECT_EQ(read[dtime], time) << dtime;
    EXPECT_EQ(notes, std::vector<std::string>{"FAIL.mdb does not exist; counted as no rows"});
    EXPECT_EQ(WallDateText(*ParseDate("2026-02-28")), "2026-02-28");
    EXPECT_FALSE(ParseDate("2026-02-30"));
    EXPECT_FALSE(ParseDate("2026-2-3"));
    EXPECT_FALSE(ParseDate("yesterday"));
}

TEST(ResultRows, ForeignAndMissingFilesAreReportedNotRead)
{
    TempWorkDir dir;
    {
        std::ofstream("junk.mdb") << "not a database at all, but long enough to be looked at by the engine";
    }
    std::vector<std::string> notes;
    EXPECT_THROW(OpenResultFiles("junk.mdb", "absent.mdb", "S1", &notes), ReportError);
    WriteResultDb("empty.mdb", {});
    auto empty = OpenResultFiles("empty.mdb", "absent.mdb", "S1", &notes);
    EXPECT_EQ(ComputeYield(*empty, std::nullopt, std::nullopt).rows, 0);
    auto none = OpenResultFiles("absent.mdb", "absent.mdb", "S1", &notes);
    EXPECT_EQ(ComputeYield(*none, std::nullopt, std::nullopt).rows, 0);
    // A foreign file throws before any note; each missing file is named.
    EXPECT_EQ(notes, std::vector<std::string>(3, "absent.mdb does not exist; counted as no rows"));
}

}  // namespace
