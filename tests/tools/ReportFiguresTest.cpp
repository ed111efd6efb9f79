// Yield figures over result databases with known rows.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TempDir.h"
#include "tests/tools/ReportFixture.h"
#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/YieldFigures.h"

namespace {

std::vector<ResultRow> ReadBoth(const std::filesystem::path& dir)
{
    RowsRead passed = ReadResultRows((dir / "PASS.mdb").string(), true);
    RowsRead failed = ReadResultRows((dir / "FAIL.mdb").string(), false);
    EXPECT_EQ(passed.error, "");
    EXPECT_EQ(failed.error, "");
    return MergeByTime(std::move(passed.rows), std::move(failed.rows));
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
    std::vector<ResultRow> Rows() { return ReadBoth(dir_.Path()); }
    TempWorkDir dir_;
};

TEST_F(ReportFiguresTest, OneDayGivesExactYieldsCountsAndParetoOrder)
{
    const auto day = ParseDate("2026-12-07");
    const YieldFigures f = ComputeYield(Rows(), day, day);
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
    const YieldFigures f = ComputeYield(Rows(), std::nullopt, std::nullopt);
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
    std::vector<ResultRow> rows(3);
    rows[0].time = ParseStoreTime("Tue Dec  1 10:00:00 2026\n");
    rows[1].time = ParseStoreTime("Tue Dec  1 23:59:59 2026\n");
    rows[2].time = ParseStoreTime("Sat Dec  5 00:00:00 2026\n");
    rows[0].passed = true;
    const YieldFigures f = ComputeYield(rows, std::nullopt, std::nullopt);
    ASSERT_TRUE(f.perDay);
    ASSERT_EQ(f.buckets.size(), 5u);
    EXPECT_EQ(BucketLabel(f, f.buckets[0]), "2026-12-01");
    EXPECT_EQ(f.buckets[0].passed, 1);
    EXPECT_EQ(f.buckets[0].failed, 1);
    EXPECT_EQ(f.buckets[4].failed, 1);
}

TEST(ReportFigures, UnreadableTimesAreCountedAndLeftOut)
{
    std::vector<ResultRow> rows(2);
    rows[0].columns[ColumnIndex("SN")] = "X1";
    rows[0].time = ParseStoreTime("Mon Dec  7 08:05:00 2026\n");
    rows[1].columns[ColumnIndex("SN")] = "X2";  // time unreadable, failed, no failed item stored
    const YieldFigures f = ComputeYield(rows, std::nullopt, std::nullopt);
    EXPECT_EQ(f.unreadableTimes, 1);
    EXPECT_EQ(f.units, 1);
    EXPECT_EQ(f.rows, 1);
    EXPECT_EQ(Pareto(f), (std::vector<std::pair<std::string, int>>{{kNoItemRecorded, 1}}));
    EXPECT_EQ(ComputeYield({}, std::nullopt, std::nullopt).FinalYield(), 0.0);
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
        ResultRow row;
        for (size_t i = 0; i < kResultColumns.size(); ++i) {
            if (kResultColumns[i] == c.column)
                row.columns[i] = c.value;
        }
        EXPECT_EQ(!FailedItems(row).empty(), c.fails) << c.column << "=" << c.value;
    }
}

TEST(ResultRows, StoreTimesAndDates)
{
    EXPECT_EQ(WallTimeText(*ParseStoreTime("Mon Dec  7 08:05:09 2026\n")), "2026-12-07 08:05:09");
    EXPECT_EQ(WallTimeText(*ParseStoreTime("Thu Dec 31 23:59:59 2026\n")), "2026-12-31 23:59:59");
    EXPECT_FALSE(ParseStoreTime(""));
    EXPECT_FALSE(ParseStoreTime("Mon Dec  7 08:05:09 2026 trailing\n"));
    EXPECT_EQ(WallDateText(*ParseDate("2026-02-28")), "2026-02-28");
    EXPECT_FALSE(ParseDate("2026-02-30"));
    EXPECT_FALSE(ParseDate("2026-2-3"));
    EXPECT_FALSE(ParseDate("yesterday"));
}

TEST(ResultRows, ForeignAndMissingFilesAreReportedNotRead)
{
    TempWorkDir dir;
    EXPECT_TRUE(ReadResultRows("absent.mdb", true).missing);
    {
        std::ofstream("junk.mdb") << "not a database at all, but long enough to be looked at by the engine";
    }
    EXPECT_NE(ReadResultRows("junk.mdb", true).error, "");
    WriteResultDb("empty.mdb", {});
    const RowsRead empty = ReadResultRows("empty.mdb", false);
    EXPECT_EQ(empty.error, "");
    EXPECT_TRUE(empty.rows.empty());
}

}  // namespace
