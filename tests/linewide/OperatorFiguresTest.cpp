// The report's units and first-pass yield per operator, from the line
// database's summaries and SNTable's index on the unit.
#include <gtest/gtest.h>

#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
#include "tools/rurizuda-report/OperatorFigures.h"

namespace {

constexpr std::chrono::milliseconds kDeadline(kLineStoreDeadlineMs);

struct OperatedRow {
    const char* station;
    bool passed;
    const char* dtime;
    const char* sn;
    const char* badge;
};

// Day 7: O1 tests A (pass) and B (fail), O2 retests B (pass) and tests C
// (pass) at S2, D is tested without sign-in. Day 8: O1 tests E (fail).
const OperatedRow kRows[] = {
    {"S1", true, "Mon Dec  7 08:00:00 2026\n", "A", "O1"},  {"S1", false, "Mon Dec  7 08:10:00 2026\n", "B", "O1"},
    {"S1", true, "Mon Dec  7 09:00:00 2026\n", "B", "O2"},  {"S2", true, "Mon Dec  7 09:10:00 2026\n", "C", "O2"},
    {"S2", false, "Mon Dec  7 09:20:00 2026\n", "D", ""},   {"S1", false, "Tue Dec  8 08:00:00 2026\n", "E", "O1"},
};

class ReportOperators : public testing::Test {
protected:
    void StoreRows()
    {
        for (const auto& line : kRows) {
            ResultRow row;
            row[Column::Dtime] = line.dtime;
            row[Column::Sn] = line.sn;
            row.operatorId = line.badge;
            const auto results = MakePgResultStore(server.Url(), line.station, kDeadline, true);
            auto store = results->Begin(line.passed ? "PASS.mdb" : "FAIL.mdb");
            store->Insert(row);
            store->Commit();
        }
    }

    ReportOptions Options(std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay,
                          std::vector<std::string> stations = {})
    {
        ReportOptions options;
        options.dbUrl = server.Url();
        options.fromDay = fromDay;
        options.toDay = toDay;
        options.stations = std::move(stations);
        return options;
    }

    using Row = std::tuple<std::string, int, int>;  // badge, units, first-pass units
    std::vector<Row> Read(const ReportOptions& options)
    {
        const auto figures = ReadOperatorFigures(options);
        EXPECT_TRUE(figures.has_value());
        std::vector<Row> rows;
        for (const auto& f : figures.value_or(std::vector<OperatorFigures> {}))
            rows.emplace_back(f.badge, f.units, f.firstPassUnits);
        return rows;
    }

    LineServer server;
};

TEST_F(ReportOperators, AUnitCountsForTheOperatorOfItsFirstRow)
{
    StoreRows();
    const WallSeconds day7 = *ParseDate("2026-12-07");
    const WallSeconds day8 = *ParseDate("2026-12-08");
    const struct {
        const char* name;
        ReportOptions options;
        std::vector<Row> expected;
    } rows[] = {
        {"every day", Options(std::nullopt, std::nullopt), {{"", 1, 0}, {"O1", 3, 1}, {"O2", 1, 1}}},
        {"the first day", Options(day7, day7), {{"", 1, 0}, {"O1", 2, 1}, {"O2", 1, 1}}},
        {"the second day", Options(day8, day8), {{"O1", 1, 0}}},
        {"one station", Options(day7, day7, {"S2"}), {{"", 1, 0}, {"O2", 1, 1}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Read(row.options), row.expected);
    }
}

TEST_F(ReportOperators, ALineDatabaseWithoutOperatorsHasNoOperatorSection)
{
    ResultRow row;
    row[Column::Dtime] = "Mon Dec  7 08:00:00 2026\n";
    row[Column::Sn] = "A";
    auto store = MakePgResultStore(server.Url(), "S1")->Begin("PASS.mdb");
    store->Insert(row);
    store->Commit();
    EXPECT_FALSE(ReadOperatorFigures(Options(std::nullopt, std::nullopt)).has_value());
    ReportOptions files;
    EXPECT_FALSE(ReadOperatorFigures(files).has_value()) << "the file pair keeps no operator";
}

// A day's page on a table of many days reads the day's units through the
// indexes, never the whole table.
TEST_F(ReportOperators, ADaysFiguresAreReadThroughTheIndexes)
{
    StoreRows();
    server.Execute("INSERT INTO sntable (verdict, station, dtime, sn, operator) "
                   "SELECT CASE WHEN i % 10 = 0 THEN 'FAIL' ELSE 'PASS' END, 'S' || (i % 4), "
                   "to_char(timestamp '2026-01-01' + i * interval '1 minute', 'Dy Mon DD HH24:MI:SS YYYY') || E'\\n', "
                   "'U' || i, 'O' || (i % 7) FROM generate_series(1, 10000) AS i; ANALYZE");
    const WallSeconds day = *ParseDate("2026-01-03");
    pqxx::connection connection(server.Url());
    std::string plan;
    for (const auto& row : pqxx::nontransaction(connection).exec("EXPLAIN " + OperatorFiguresSql(Options(day, day))))
        plan += row[0].as<std::string>() + "\n";
    EXPECT_EQ(plan.find("Seq Scan"), std::string::npos) << plan;
    EXPECT_NE(plan.find("rurizuda_units_first"), std::string::npos) << plan;
    EXPECT_NE(plan.find("rurizuda_sntable_unit"), std::string::npos) << plan;
    int units = 0;
    for (const auto& [badge, count, firstPass] : Read(Options(day, day)))
        units += count;
    EXPECT_EQ(units, 24 * 60);
}

}  // namespace
