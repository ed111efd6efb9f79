// The file pair's figures grouped in memory, held against the engine's
// queries over the same files, and kept current between periods of watch.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "tests/support/TempDir.h"
#include "tests/tools/ReportFixture.h"
#include "tools/rurizuda-report/FilePairFigures.h"
#include "tools/rurizuda-report/QueryFigureSource.h"
#include "tools/rurizuda-report/SqliteReportDatabase.h"

namespace {

// Every figure of the page as text, to compare two sources at a glance.
std::string Describe(const YieldFigures& y, const std::vector<SignalFigures>& signals)
{
    std::string text = YieldText(y) + "unreadable " + std::to_string(y.unreadableTimes) + " perDay " +
                       std::to_string(y.perDay) + "\n";
    for (const auto& s : y.stations) {
        text += "station " + s.station + " " + std::to_string(s.units) + "/" + std::to_string(s.firstPassUnits) + "/" +
                std::to_string(s.finalPassUnits) + " rows " + std::to_string(s.passRows) + "+" +
                std::to_string(s.failRows) + " items";
        for (int n : s.itemFailures)
            text += " " + std::to_string(n);
        text += "\n";
    }
    for (const auto& f : y.recentFails)
        text += "recent " + f.station + " " + f.sn + "\n";
    for (const auto& signal : signals) {
        for (const auto& h : signal.stations) {
            text += signal.column + " " + h.station + " rows " + std::to_string(h.rows) + " out " +
                    std::to_string(h.outOfRange) + " below " + std::to_string(h.atOrBelow) + " median " +
                    (h.median ? std::to_string(*h.median) : "-") + ":";
            for (const auto& [value, rows] : h.counts)
                text += " " + std::to_string(value) + "x" + std::to_string(rows);
            text += "\n";
        }
    }
    return text;
}

std::string Figures(FigureSource& source, const SignalSettings& settings)
{
    YieldFigures yield;
    std::vector<SignalFigures> signals;
    source.Compute(settings, &yield, &signals);
    return Describe(yield, signals);
}

FilePair Pair(std::optional<WallSeconds> from = std::nullopt, std::optional<WallSeconds> to = std::nullopt)
{
    return {"PASS.mdb", "FAIL.mdb", "S<1>", from, to};
}

std::string Reference(const FilePair& pair, const SignalSettings& settings)
{
    QueryFigureSource reference(
        [&] {
            std::vector<std::string> notes;
            return OpenResultFiles(pair.passFile, pair.failFile, pair.station, &notes);
        },
        pair.fromDay, pair.toDay);
    return Figures(reference, settings);
}

// Stored times the station never writes but a hand edit can: each must be
// read as the engine reads it.
std::vector<FixtureRow> OddRows()
{
    return {
        {true, "Mon Dec  7 08:05:00 2026\n", "O1", {{"RSSI2G", "99999999999"}}},
        {false, "Mon Dec 07 08:06:00 2026\n", "O1", {{"RSSI2G", "-2147483649"}, {"LED", "FAIL"}}},
        {true, "Mon Dec  7 08:0\xc3\xa9:00 2026\n", "O2", {{"RSSI3G", "-201"}}},
        {false, "Mon Dec  7 08:07:00 2O26\n", "O2", {{"RSSI4G", "200"}}},
        {true, "Mon Dec  7 08:07:00 2026  \r\n", "O3", {}},
        {false, "Mon Dec  7 08:07:00 2026 x", "O3", {}},
        {true, "mon Dec  7 09:00:00 2026", "O4", {}},
        {false, "Mon Dec  7 09:00:00 2026", "", {{"RSSI2G", "0031"}}},
        {true, "", "O5", {}},
        {false, "Mon \xc3\xa9" "ec  7 09:00:00 2026\n", "O5", {}},
        {true, "Sun Dec  6 23:59:59 2026\n", "O6", {{"RSSI2G", "10"}}},
        {false, "Tue Dec  8 00:00:00 2026\n", "O6", {{"RSSI2G", "40"}}},
        {true, "Mon Dec  7 09:1\xc3\xa9:00 2026\n", "O8", {}},  // read first, yet after the failure below
        {false, "Mon Dec  7 09:05:00 2026\n", "O8", {}},
        {false, "Mon Dec  7 09:30:00x2026\n", "O9", {}},
        {true, "Mon Dec  7 23:59:59 2026\n", "O7", {}},
        {false, "Mon Dec  7 23:59:59 2026\n", "O7", {{"SIM", "SIM not inserted"}}},
    };
}

// One table over fixtures and periods: the figures grouped in memory equal
// the figures the engine computes, field for field.
TEST(FilePairFigures, EqualTheEngineFiguresForEveryPeriod)
{
    const auto day = [](const char* text) { return ParseDate(text); };
    std::vector<FixtureRow> both = LineDayRows();
    for (const auto& row : OddRows())
        both.push_back(row);
    const std::pair<const char*, std::vector<FixtureRow>> fixtures[] = {
        {"line day", LineDayRows()}, {"odd times", OddRows()}, {"both", both}, {"none", {}}};
    const std::pair<std::optional<WallSeconds>, std::optional<WallSeconds>> periods[] = {
        {std::nullopt, std::nullopt},          {day("2026-12-07"), day("2026-12-07")},
        {day("2026-12-07"), std::nullopt},     {std::nullopt, day("2026-12-06")},
        {std::nullopt, day("2026-12-07")},     {day("2026-12-06"), day("2026-12-08")},
        {day("2026-12-08"), day("2026-12-08")}, {day("2026-11-01"), day("2026-11-30")},
    };
    SignalSettings settings;
    settings.thresholds[0] = 30;
    settings.thresholds[2] = 2147483647;
    settings.driftLimit = 0;
    for (const auto& [name, rows] : fixtures) {
        TempWorkDir dir;
        WriteResultDbs(dir.Path(), rows);
        for (const auto& [from, to] : periods) {
            SCOPED_TRACE(std::string(name) + " from " + (from ? WallDateText(*from) : "-") + " to " +
                         (to ? WallDateText(*to) : "-"));
            const auto memory = OpenFilePairFigures(Pair(from, to), {});
            EXPECT_EQ(Figures(*memory, settings), Reference(Pair(from, to), settings));
        }
    }
}

}  // namespace

namespace {

void Append(const char* file, const std::vector<FixtureRow>& rows)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file, &db), SQLITE_OK);
    for (const auto& row : rows) {
        sqlite3_stmt* insert = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(db, "INSERT INTO SNTable(DTIME, SN, LED) VALUES(?, ?, ?)", -1, &insert, nullptr),
                  SQLITE_OK);
        sqlite3_bind_text(insert, 1, row.dtime.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, row.sn.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, row.passed ? "PASS" : "FAIL", -1, SQLITE_TRANSIENT);
        EXPECT_EQ(sqlite3_step(insert), SQLITE_DONE);
        sqlite3_finalize(insert);
    }
    sqlite3_close(db);
}

void ExecSql(const char* file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file, &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

const std::vector<FixtureRow> kLater = {
    {true, "Mon Dec  7 11:00:00 2026\n", "C1", {}},      // C1 passes at last
    {false, "Mon Dec  7 11:05:00 2026\n", "H1", {}},     // a new unit
    {false, "Mon Dec  7 11:10:00 2026\n", "A1", {}},     // A1 ends failed
    {true, "Sun Dec  6 16:00:00 2026\n", "G1", {}},      // stored late, earlier than G1's first row
};

// watch keeps one source: rows added between periods are counted with the
// ones read before, as a fresh read of both files counts them.
TEST(FilePairFigures, RowsAddedBetweenPeriodsAreCounted)
{
    TempWorkDir dir;
    WriteResultDbs(dir.Path(), LineDayRows());
    const auto source = OpenFilePairFigures(Pair(), {});
    const std::string before = Figures(*source, {});
    EXPECT_EQ(before, Reference(Pair(), {}));
    std::vector<FixtureRow> passed, failed;
    for (const auto& row : kLater)
        (row.passed ? passed : failed).push_back(row);
    Append("PASS.mdb", passed);
    Append("FAIL.mdb", failed);
    const std::string after = Figures(*source, {});
    EXPECT_NE(after, before);
    EXPECT_EQ(after, Reference(Pair(), {}));
    EXPECT_EQ(Figures(*source, {}), after);  // nothing new: the same figures
}

// A file that is no longer the one read (an older copy over it, another file
// renamed over it, its last rows deleted, or gone) is read again whole.
TEST(FilePairFigures, AFileReplacedIsReadAgainWhole)
{
    struct Case {
        const char* name;
        std::function<void()> replace;
    };
    const std::filesystem::copy_options over = std::filesystem::copy_options::overwrite_existing;
    const Case cases[] = {
        {"an older copy written over it", [&] { std::filesystem::copy_file("old-PASS.mdb", "PASS.mdb", over); }},
        {"an older copy renamed over it", [&] { std::filesystem::rename("old-PASS.mdb", "PASS.mdb"); }},
        {"a file of the same size and last row renamed over it",
         [] {
             std::filesystem::copy_file("PASS.mdb", "other.mdb");
             ExecSql("other.mdb", "UPDATE SNTable SET SN = 'B1' WHERE rowid = 1");  // A1's first row: as long
             std::filesystem::rename("other.mdb", "PASS.mdb");
         }},
        {"its last row deleted", [] { ExecSql("PASS.mdb", "DELETE FROM SNTable WHERE rowid = (SELECT max(rowid) FROM SNTable)"); }},
        {"its last row changed", [] { ExecSql("PASS.mdb", "UPDATE SNTable SET DTIME = 'Sun Dec  6 10:00:00 2026' || char(10) WHERE rowid = (SELECT max(rowid) FROM SNTable)"); }},
        {"vacuumed after a delete", [] { ExecSql("PASS.mdb", "DELETE FROM SNTable WHERE SN = 'A1'; VACUUM"); }},
        {"removed", [] { std::filesystem::remove("PASS.mdb"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempWorkDir dir;
        WriteResultDbs(dir.Path(), LineDayRows());
        std::filesystem::copy_file("PASS.mdb", "old-PASS.mdb");
        Append("PASS.mdb", {{true, "Mon Dec  7 11:00:00 2026\n", "C1", {}}, {true, "Mon Dec  7 11:30:00 2026\n", "H1", {}}});
        const auto source = OpenFilePairFigures(Pair(), {});
        const std::string before = Figures(*source, {});
        c.replace();
        const std::string after = Figures(*source, {});
        EXPECT_NE(after, before);
        EXPECT_EQ(after, Reference(Pair(), {}));
    }
}

}  // namespace
