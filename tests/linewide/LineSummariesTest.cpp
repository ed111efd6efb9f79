// The line database's summary tables against the full queries over every
// row (ComputeYield, ComputeSignals over the rows): the page's figures from
// both must be the same for every period, station subset and past --to,
// after hand edits in SQL, and after the summaries were built on a line
// database made without them while stations kept storing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <span>
#include <sstream>
#include <thread>

#include "records/LineSummaries.h"
#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
#include "tests/support/ChildProcess.h"
#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/LineFigureSource.h"
#include "tools/rurizuda-report/LineReportSession.h"
#include "tools/rurizuda-report/PgReportDatabase.h"

namespace {

using namespace std::chrono_literals;

struct Row {
    const char* station;
    const char* verdict;
    const char* dtime;  // nullptr: NULL
    const char* sn;     // nullptr: NULL
    const char* failedColumn;  // a failing item column, or nullptr
    const char* rssi2g;
    const char* rssi3g;
    const char* repair;
};

// Three days and a week before: retests across stations and after the
// period's end, ties within one second, the first and last second of a day,
// rows without SN, times and values that cannot be read, markup in a name.
const Row kRows[] = {
    {"S1", "PASS", "Sun Dec  6 23:59:59 2026\n", "A", nullptr, "30", "-60", ""},
    {"S1", "FAIL", "Mon Dec  7 00:00:00 2026\n", "B", "KAVOKEY", "29", "-0030", ""},
    {"S2", "PASS", "Mon Dec  7 00:00:00 2026\n", "B", nullptr, "31", "99999", ""},
    {"S2", "FAIL", "Mon Dec  7 08:10:00 2026\n", "C", "LED", "28", "+5", ""},
    {"S3", "FAIL", "Mon Dec  7 08:20:00 2026\n", "C", "WIFI", "-0", "", ""},
    {"S1", "PASS", "Tue Dec  8 09:00:00 2026\n", "C", nullptr, "33", "-61", ""},
    {"S3", "FAIL", "Mon Dec  7 23:59:59 2026\n", "D", nullptr, "12", "x", "YES"},
    {"S3", "PASS", "Tue Dec  8 00:00:00 2026\n", "D", nullptr, "11", nullptr, ""},
    {"S2", "FAIL", "Mon Dec  7 12:00:00 2026\n", "", "OLED", "30", "-59", ""},
    {"S2", "PASS", "Mon Dec  7 12:30:00 2026\n", nullptr, nullptr, "30", "-59", ""},
    {"S1", "PASS", "garbage", "E", nullptr, "40", "-40", ""},
    {"S3", "FAIL", nullptr, "E", "SIM", "41", "-41", ""},
    {"S1", "FAIL", "Mon Dec  7 10:00:00 2026\n", "G", "USBMODE", "abc", "-50", ""},
    {"S1", "FAIL", "Mon Dec  7 10:00:00 2026\n", "G", "LOCKPN", "30", "-50", ""},
    {"S2", "PASS", "Mon Dec  7 10:00:00 2026\n", "G", nullptr, "30", "-50", ""},
    {"S2", "PASS", "Sat Dec  5 10:00:00 2026\n", "H", nullptr, "25", "-55", ""},
    {"S1", "FAIL", "Mon Dec  7 11:00:00 2026\n", "H", "CHARGER", "25", "-55", ""},
    {"S3", "PASS", "Tue Dec  1 08:00:00 2026\n", "I", nullptr, "10", "-70", ""},
    {"S<4>", "PASS", "Mon Dec  7 09:00:00 2026\n", "J", nullptr, "45", "-45", ""},
    {"S<4>", "FAIL", "Mon Dec  7 09:05:00 2026\r\n", "K", "SD", "44", "-44", ""},
    {"S1", "FAIL", "Mon Dec 07 13:00:00 2026\n", "L", "SIM", "30", "-50", ""},
};

std::string Literal(const char* text)
{
    return text ? SqlText(text) : "NULL";
}

void InsertRows(pqxx::transaction_base& work, const Row* begin, const Row* end)
{
    for (const Row* row = begin; row != end; ++row) {
        std::string columns = "verdict, station, dtime, sn, rssi2g, rssi3g, isrepair";
        std::string values = Literal(row->verdict) + ", " + Literal(row->station) + ", " + Literal(row->dtime) + ", " +
                             Literal(row->sn) + ", " + Literal(row->rssi2g) + ", " + Literal(row->rssi3g) + ", " +
                             Literal(row->repair);
        if (row->failedColumn) {
            columns += std::string(", ") + row->failedColumn;
            values += ", 'FAIL'";
        }
        work.exec("INSERT INTO sntable(" + columns + ") VALUES (" + values + ")");
    }
}

std::string Describe(const UnitCounts& c)
{
    return std::to_string(c.rows) + " rows (" + std::to_string(c.passRows) + "/" + std::to_string(c.failRows) + "), " +
           std::to_string(c.units) + " units, " + std::to_string(c.firstPassUnits) + " first, " +
           std::to_string(c.finalPassUnits) + " final";
}

// Every figure of a page as text, so that a difference shows where it lies.
std::string Describe(const YieldFigures& f, const std::vector<SignalFigures>& signals)
{
    std::ostringstream text;
    text << "line: " << Describe(f) << ", unreadable " << f.unreadableTimes << (f.perDay ? ", per day" : "") << "\n";
    for (const auto& s : f.stations) {
        text << s.station << ": " << Describe(s) << ", items";
        for (int fails : s.itemFailures)
            text << " " << fails;
        text << "\n";
    }
    for (const auto& b : f.buckets)
        text << "bucket " << b.start << ": " << b.passed << "/" << b.failed << "\n";
    for (const auto& p : f.pareto)
        text << "item " << p.item << ": " << p.failures << "\n";
    for (const auto& u : f.recentFails) {
        text << "failed " << WallTimeText(u.time) << " " << u.sn << " at " << u.station << (u.repair ? " repair" : "");
        for (const auto& item : u.items)
            text << ", " << item;
        text << "\n";
    }
    for (const auto& signal : signals) {
        const auto histogram = [&](const SignalHistogram& h) {
            text << signal.column << " " << h.station << ":";
            for (const auto& [value, rows] : h.counts)
                text << " " << value << "x" << rows;
            text << " rows " << h.rows << " at/below " << h.atOrBelow << " median " << h.median.value_or(-999) << "\n";
        };
        histogram(signal.line);
        for (const auto& station : signal.stations)
            histogram(station);
        for (const auto& name : signal.drifting)
            text << signal.column << " drifting " << name << "\n";
    }
    return text.str();
}

struct Period {
    const char* name;
    const char* from;  // "" open
    const char* to;    // "" open
    std::vector<std::string> stations;
};

const Period kPeriods[] = {
    {"every row", "", "", {}},
    {"one day", "2026-12-07", "2026-12-07", {}},
    {"one day, two stations", "2026-12-07", "2026-12-07", {"S1", "S3"}},
    {"one day, one station", "2026-12-07", "2026-12-07", {"S2"}},
    {"up to a past day", "", "2026-12-07", {}},
    {"two days, the station of a later first row", "2026-12-06", "2026-12-07", {"S1"}},
    {"from a day on", "2026-12-08", "", {}},
    {"a past week", "2026-12-01", "2026-12-06", {}},
    {"two days, markup in a name", "2026-12-07", "2026-12-08", {"S3", "S<4>"}},
    {"a day without rows", "2026-12-20", "2026-12-20", {}},
    {"up to a past day, one station", "", "2026-12-07", {"S3"}},
    {"one day, one station named twice", "2026-12-07", "2026-12-07", {"S1", "S1"}},
    {"a past day, one station", "2026-12-07", "2026-12-07", {"S1"}},
};

SignalSettings Thresholds()
{
    SignalSettings settings;
    settings.thresholds[0] = 30;
    settings.thresholds[1] = -55;
    settings.driftLimit = 3;
    return settings;
}

ReportOptions OptionsOf(const std::string& url, const Period& period)
{
    ReportOptions options;
    options.dbUrl = url;
    options.stations = period.stations;
    if (*period.from)
        options.fromDay = ParseDate(period.from);
    if (*period.to)
        options.toDay = ParseDate(period.to);
    return options;
}

// The page's figures from the summaries and from every row, for one period.
std::pair<std::string, std::string> BothWays(const std::string& url, const Period& period)
{
    const ReportOptions options = OptionsOf(url, period);
    YieldFigures yield;
    std::vector<SignalFigures> signals;
    OpenLineFigures(options)->Compute(Thresholds(), &yield, &signals);
    const auto rows = OpenLineDatabase(url, period.stations);
    const YieldFigures full = ComputeYield(*rows, options.fromDay, options.toDay);
    return {Describe(yield, signals), Describe(full, ComputeSignals(*rows, options.fromDay, options.toDay, Thresholds()))};
}

class LineSummaries : public testing::Test {
protected:
    LineSummaries()
    {
        MakePgResultStore(server.Url(), "S0")->Begin("PASS.mdb")->Commit();  // the table as a station makes it
    }

    void Run(const std::string& sql) { server.Execute(sql); }

    void Insert(const Row* begin, const Row* end)
    {
        pqxx::connection connection(server.Url());
        pqxx::work work(connection);
        InsertRows(work, begin, end);
        work.commit();
    }

    // The same figures both ways, for the first `periods` of kPeriods.
    void ExpectSameFigures(const std::string& when, size_t periods = std::size(kPeriods))
    {
        for (const auto& period : std::span(kPeriods, periods)) {
            const auto [summaries, full] = BothWays(server.Url(), period);
            EXPECT_EQ(summaries, full) << when << ", " << period.name;
        }
    }

    LineServer server;
};

TEST_F(LineSummaries, FiguresEqualTheFullQueriesForEveryPeriodAndStationSubset)
{
    Insert(std::begin(kRows), std::end(kRows));
    ExpectSameFigures("as stored");
    // The fixture reaches what it is meant to: a unit retested after a past
    // --to, rows on a day's edges, unreadable times.
    const auto [summaries, full] = BothWays(server.Url(), kPeriods[4]);
    EXPECT_NE(summaries.find("unreadable 2"), std::string::npos) << summaries;
}

TEST_F(LineSummaries, HandEditsInSqlAreFollowed)
{
    Insert(std::begin(kRows), std::end(kRows));
    const char* const edits[] = {
        "UPDATE sntable SET verdict = 'PASS' WHERE sn = 'B' AND station = 'S1'",
        "UPDATE sntable SET verdict = 'FAIL', led = 'FAIL' WHERE sn = 'C' AND station = 'S1'",
        "DELETE FROM sntable WHERE sn = 'B' AND station = 'S2'",
        "UPDATE sntable SET dtime = 'Sun Dec  6 07:00:00 2026' WHERE sn = 'H' AND station = 'S1'",
        "UPDATE sntable SET station = 'S2', rssi2g = '50' WHERE sn = 'G' AND station = 'S1'",
        "UPDATE sntable SET dtime = 'not a time' WHERE sn = 'D' AND verdict = 'PASS'",
        "DELETE FROM sntable WHERE sn IS NULL OR sn = ''",
        "UPDATE sntable SET sn = 'A' WHERE sn = 'L'",
        "TRUNCATE sntable",
    };
    constexpr size_t kEditPeriods = 5;  // every row, one day, two subsets, a past --to
    for (const char* edit : edits) {
        Run(edit);
        ExpectSameFigures(edit, kEditPeriods);
    }
    Insert(std::begin(kRows), std::begin(kRows) + 5);
    ExpectSameFigures("stored after the truncate");
}

// A station retesting a unit first stored at another station changes that
// station's unit counts of the hour while the other station stores its own
// units of the hour: neither waits for the other's commit.
TEST_F(LineSummaries, StationsRetestingEachOthersUnitsWaitForNoCounter)
{
    const Row first = {"S1", "FAIL", "Mon Dec  7 10:00:00 2026\n", "U0", "LED", "30", "", ""};
    Insert(&first, &first + 1);
    pqxx::connection storing(server.Url());
    pqxx::work open(storing);  // S1 stores a new failed unit of the hour, not yet committed
    const Row next = {"S1", "FAIL", "Mon Dec  7 10:20:00 2026\n", "U1", "LED", "30", "", ""};
    InsertRows(open, &next, &next + 1);
    pqxx::connection retesting(server.Url());
    pqxx::work retest(retesting);  // S2 passes U0 on retest within the hour
    retest.exec("SET LOCAL lock_timeout = '2s'");
    const Row passed = {"S2", "PASS", "Mon Dec  7 10:30:00 2026\n", "U0", nullptr, "30", "", ""};
    EXPECT_NO_THROW(InsertRows(retest, &passed, &passed + 1));  // a wait ends in the lock time-out
    retest.commit();
    open.commit();
    ExpectSameFigures("after both stores", 5);
}

// The report's items are the summaries' items, in the same order.
TEST(LineSummaryItems, AreThePagesItems)
{
    ASSERT_EQ(std::size(kSummaryItems), std::size(kItemColumns));
    for (size_t i = 0; i < std::size(kItemColumns); ++i) {
        EXPECT_EQ(kSummaryItems[i].column, kResultColumns[kItemColumns[i].column]) << i;
        EXPECT_STREQ(kSummaryItems[i].pass, kItemColumns[i].pass) << i;
    }
}

// A line database of the previous version: the table without summaries,
// rows stored, stations storing on while the summaries are built.
class LineWithoutSummaries : public LineSummaries {
protected:
    LineWithoutSummaries()
    {
        pqxx::connection connection(server.Url());
        pqxx::work work(connection);
        DropLineSummaries(work);
        InsertRows(work, std::begin(kRows), std::end(kRows));
        work.exec("INSERT INTO sntable(verdict, station, dtime, sn, rssi2g) SELECT CASE WHEN i % 7 = 0 THEN 'FAIL' "
                  "ELSE 'PASS' END, 'S' || (i % 3 + 1), 'Mon Dec  7 ' || lpad((i % 24)::text, 2, '0') || ':00:00 2026', "
                  "'N' || (i / 2), (i % 40)::text FROM generate_series(1, " +
                  std::to_string(kLargestTableBuiltByStore * 3 / 4) + ") AS i");
        work.commit();
    }
};

TEST_F(LineWithoutSummaries, AreBuiltOnFirstUseWhileStationsStoreNoneLostNoneTwice)
{
    using Build = std::function<void(const std::string& url)>;
    const std::pair<const char*, Build> builders[] = {
        {"a station's first store",
         [](const std::string& url) {
             MakePgResultStore(url, "S9")->Begin("PASS.mdb")->Commit();
         }},
        {"rurizuda-report rebuild",
         [](const std::string& url) {
             const ProgramRun run = RunProgram({"/usr/bin/timeout", "60", RURIZUDA_REPORT_PROGRAM, "rebuild", "--db", url});
             EXPECT_EQ(run.status, 0);
         }},
    };
    for (const auto& [name, build] : builders) {
        {
            pqxx::connection connection(server.Url());
            pqxx::work work(connection);
            DropLineSummaries(work);
            work.commit();
        }
        const long before = std::stol(server.Value("SELECT count(*) FROM sntable"));
        std::atomic<bool> stop {false};
            std::vector<std::future<int>> stations;
        for (int station = 0; station < 3; ++station) {
            // A station of the previous version: one insert per transaction.
            stations.push_back(std::async(std::launch::async, [&, station] {
                pqxx::connection connection(server.Url());
                pqxx::nontransaction(connection).exec("SET statement_timeout = '20s'");
                int stored = 0;
                while (!stop) {
                    pqxx::work work(connection);
                    work.exec("INSERT INTO sntable(verdict, station, dtime, sn, rssi2g) VALUES ('" +
                              std::string(stored % 5 ? "PASS" : "FAIL") + "', 'S" + std::to_string(station + 1) +
                              "', 'Mon Dec  7 10:00:00 2026', 'R" + std::to_string(station) + "-" +
                              std::to_string(stored / 2) + "', '30')");
                    work.commit();
                    ++stored;
                }
                return stored;
            }));
        }
        std::this_thread::sleep_for(100ms);
        build(server.Url());
        std::this_thread::sleep_for(200ms);
        stop = true;
        long stored = 0;
        for (auto& station : stations)
            stored += station.get();
        EXPECT_GT(stored, 0) << name;
        EXPECT_EQ(std::stol(server.Value("SELECT count(*) FROM sntable")), before + stored) << name;
        ExpectSameFigures(name);
    }
}

// Summaries made before the units were counted per hour (the other tables
// kept current by their trigger) count as missing: a station's first store
// builds them again.
TEST_F(LineSummaries, WithoutUnitCountsAreBuiltAgainByAStationsFirstStore)
{
    Insert(std::begin(kRows), std::begin(kRows) + 10);
    Run("DROP TRIGGER rurizuda_units_by_hour ON rurizuda_units;"
        "DROP TRIGGER rurizuda_unit_rows_by_hour ON rurizuda_unit_rows;"
        "DROP TABLE rurizuda_hour_units, rurizuda_hour_station_units");
    Insert(std::begin(kRows) + 10, std::end(kRows));
    {
        pqxx::connection connection(server.Url());
        pqxx::work work(connection);
        EXPECT_FALSE(LineSummariesExist(work));
    }
    MakePgResultStore(server.Url(), "S9")->Begin("PASS.mdb")->Commit();
    EXPECT_EQ(server.Value("SELECT to_regclass('rurizuda_hour_units') IS NOT NULL"), "t");
    ExpectSameFigures("built again");
}

// A line database too large for a store's deadline keeps its stores; the
// page says how to build the summaries.
TEST_F(LineWithoutSummaries, LargeTableIsLeftToTheRebuildAndThePageSaysSo)
{
    {
        pqxx::connection connection(server.Url());
        pqxx::work work(connection);
        DropLineSummaries(work);
        work.exec("INSERT INTO sntable(verdict, station, sn) SELECT 'PASS', 'S1', 'M' || i FROM generate_series(1, " +
                  std::to_string(kLargestTableBuiltByStore) + ") AS i");
        work.commit();
    }
    MakePgResultStore(server.Url(), "S9")->Begin("PASS.mdb")->Commit();
    EXPECT_EQ(server.Value("SELECT to_regclass('rurizuda_unit_rows') IS NULL"), "t");
    YieldFigures yield;
    std::vector<SignalFigures> signals;
    try {
        OpenLineFigures(OptionsOf(server.Url(), kPeriods[0]))->Compute(Thresholds(), &yield, &signals);
        ADD_FAILURE() << "figures without summaries";
    } catch (const ReportError& error) {
        EXPECT_NE(std::string(error.what()).find("rurizuda-report rebuild --db URL"), std::string::npos) << error.what();
    }
}

TEST_F(LineSummaries, ReportSessionBoundsItsWaitsAndKeepsTheServersMemory)
{
    const auto session = OpenReportSession(server.Url(), SessionUse::Read);
    const std::pair<const char*, const char*> settings[] = {
        {"lock_timeout", "30s"}, {"statement_timeout", "30s"}, {"work_mem", "4MB"},
        {"default_transaction_read_only", "on"}, {"tcp_keepalives_idle", "5"},
    };
    for (const auto& [name, value] : settings)
        EXPECT_EQ(pqxx::nontransaction(*session).exec1(std::string("SHOW ") + name)[0].as<std::string>(), value) << name;
}

TEST_F(LineSummaries, InterruptEndsAComputeWaitingForALockWithinOneSecond)
{
    Insert(std::begin(kRows), std::end(kRows));
    pqxx::connection holder(server.Url());
    pqxx::work lock(holder);
    lock.exec("LOCK TABLE sntable");
    const auto source = OpenLineFigures(OptionsOf(server.Url(), kPeriods[1]));
    auto computed = std::async(std::launch::async, [&] {
        YieldFigures yield;
        std::vector<SignalFigures> signals;
        source->Compute(Thresholds(), &yield, &signals);
    });
    EXPECT_EQ(computed.wait_for(500ms), std::future_status::timeout) << "the lock did not hold the page";
    const auto interrupted = std::chrono::steady_clock::now();
    source->Interrupt();
    const bool ended = computed.wait_for(1s) == std::future_status::ready;
    const auto took = std::chrono::steady_clock::now() - interrupted;
    lock.abort();  // lets a Compute that did not end finish, so that the test ends
    EXPECT_TRUE(ended) << "Compute did not end within 1 s of Interrupt()";
    EXPECT_LT(took, 1100ms);
    EXPECT_THROW(computed.get(), ReportError);
}

}  // namespace
