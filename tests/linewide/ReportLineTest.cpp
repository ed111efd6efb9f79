// rurizuda-report over the line-wide database: three stations' rows stored
// through the station's own store, figures counted by hand.
#include <gtest/gtest.h>

#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
#include "tests/support/ChildProcess.h"
#include <sstream>

#include "tools/rurizuda-report/CsvExport.h"
#include "tools/rurizuda-report/PgReportDatabase.h"
#include "tools/rurizuda-report/SignalFigures.h"
#include "tools/rurizuda-report/YieldFigures.h"

namespace {

struct LineRow {
    const char* station;
    bool passed;
    const char* dtime;
    const char* sn;
    const char* rssi2g;
    Column failed;  // the failing item column of a failed row
};

// S1: A passes, B fails KEY TEST and passes on retest; S2: C fails LED, D
// passes; S3: E passes, F fails WIFI and passes on retest at S1.
const LineRow kLineRows[] = {
    {"S1", true, "Mon Dec  7 08:00:00 2026\n", "A", "30", Column::Count},
    {"S1", false, "Mon Dec  7 08:10:00 2026\n", "B", "30", Column::KavoKey},
    {"S2", false, "Mon Dec  7 08:20:00 2026\n", "C", "31", Column::Led},
    {"S2", true, "Mon Dec  7 08:30:00 2026\n", "D", "31", Column::Count},
    {"S3", true, "Mon Dec  7 08:40:00 2026\n", "E", "10", Column::Count},
    {"S3", false, "Mon Dec  7 08:50:00 2026\n", "F", "12", Column::Wifi},
    {"S1", true, "Mon Dec  7 09:00:00 2026\n", "B", "30", Column::Count},
    {"S1", true, "Mon Dec  7 09:10:00 2026\n", "F", "30", Column::Count},
};

class ReportLine : public testing::Test {
protected:
    ReportLine()
    {
        for (const auto& line : kLineRows) {
            ResultRow row;
            row[Column::Dtime] = line.dtime;
            row[Column::Sn] = line.sn;
            row[Column::Rssi2g] = line.rssi2g;
            if (line.failed != Column::Count)
                row[line.failed] = "FAIL";
            const auto results = MakePgResultStore(server.Url(), line.station);
            auto store = results->Begin(line.passed ? "PASS.mdb" : "FAIL.mdb");
            store->Insert(row);
            store->Commit();
        }
    }

    LineServer server;
};

std::vector<std::tuple<std::string, int, int, int, int>> ByStation(const YieldFigures& f)
{
    std::vector<std::tuple<std::string, int, int, int, int>> stations;
    for (const auto& s : f.stations)
        stations.emplace_back(s.station, s.rows, s.units, s.firstPassUnits, s.finalPassUnits);
    return stations;
}

TEST_F(ReportLine, FiguresPerStationComeFromTheDatabase)
{
    const YieldFigures f = ComputeYield(*OpenLineDatabase(server.Url(), {}), std::nullopt, std::nullopt);
    using Row = std::tuple<std::string, int, int, int, int>;  // station, rows, units, first pass, final pass
    EXPECT_EQ(ByStation(f), (std::vector<Row>{{"S1", 4, 2, 1, 2}, {"S2", 2, 2, 1, 1}, {"S3", 2, 2, 1, 2}}));
    EXPECT_EQ(f.units, 6);
    EXPECT_EQ(f.firstPassUnits, 3);
    EXPECT_EQ(f.finalPassUnits, 5);
    const auto failures = [&](size_t station, size_t item) { return f.stations[station].itemFailures[item]; };
    EXPECT_EQ(failures(0, 2), 1);  // KEY TEST at S1
    EXPECT_EQ(failures(1, 4), 1);  // LED at S2
    EXPECT_EQ(failures(2, 9), 1);  // WIFI STATUS at S3
    EXPECT_EQ(failures(0, 4) + failures(2, 2) + failures(1, 9), 0);

    const YieldFigures two = ComputeYield(*OpenLineDatabase(server.Url(), {"S1", "S3"}), std::nullopt, std::nullopt);
    EXPECT_EQ(ByStation(two), (std::vector<Row>{{"S1", 4, 2, 1, 2}, {"S3", 2, 2, 1, 2}}));
}

// A collation that skips blanks would sort "Thu Dec 10" before "Mon Dec  7";
// store times are compared byte by byte whatever the table's collation.
TEST_F(ReportLine, StoreTimesOrderByTheirBytesWhateverTheCollation)
{
    server.Execute("CREATE COLLATION skip_blanks (provider = icu, locale = 'und-u-ka-shifted')");
    server.Execute("ALTER TABLE sntable ALTER COLUMN dtime TYPE VARCHAR(40) COLLATE skip_blanks");
    server.Execute("INSERT INTO sntable(verdict, station, dtime, sn) VALUES"
                   " ('FAIL', 'S2', 'Mon Dec  7 10:00:00 2026' || chr(10), 'G'),"
                   " ('PASS', 'S2', 'Thu Dec 10 07:00:00 2026' || chr(10), 'G')");
    const YieldFigures f = ComputeYield(*OpenLineDatabase(server.Url(), {"S2"}), std::nullopt, std::nullopt);
    using Row = std::tuple<std::string, int, int, int, int>;
    EXPECT_EQ(ByStation(f), (std::vector<Row>{{"S2", 4, 3, 1, 2}}));  // G failed first, passed finally
}

// More rows than one fetch from the server: the export reads them all, and a
// reader that stops early gets no more.
TEST_F(ReportLine, ExportStreamsPastOneFetch)
{
    constexpr int kMore = 10050;
    server.Execute("INSERT INTO sntable(verdict, station, dtime, sn) SELECT 'PASS', 'S4', "
                   "'Tue Dec  8 08:00:00 2026', 'N' || i FROM generate_series(1, " + std::to_string(kMore) + ") AS i");
    auto db = OpenLineDatabase(server.Url(), {"S4"});
    std::ostringstream csv;
    WriteCsv(csv, *db, std::nullopt, std::nullopt);
    const std::string text = csv.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kMore + 1);
    int read = 0;
    db->Stream("SELECT SN FROM sntable", [&](const SqlRow&) { return ++read < 3; });
    EXPECT_EQ(read, 3);
}

TEST_F(ReportLine, SignalHistogramsNameTheDriftingStation)
{
    SignalSettings settings;
    settings.thresholds[0] = 30;
    const auto signals = ComputeSignals(*OpenLineDatabase(server.Url(), {}), std::nullopt, std::nullopt, settings);
    ASSERT_EQ(signals.size(), 3u);
    const SignalFigures& rssi2g = signals[0];
    EXPECT_EQ(rssi2g.line.rows, 8);
    EXPECT_EQ(rssi2g.line.median, 30);  // 10 12 30 30 30 30 31 31
    EXPECT_EQ(rssi2g.line.atOrBelow, 6);
    ASSERT_EQ(rssi2g.stations.size(), 3u);
    EXPECT_EQ(rssi2g.stations[2].median, 10);
    EXPECT_EQ(rssi2g.drifting, std::vector<std::string>{"S3"});
    EXPECT_EQ(signals[1].line.rows, 0);
}

TEST_F(ReportLine, ExportNamesTheStationAndBadSourcesEndWithStatusOne)
{
    const ProgramRun run =
        RunProgram({RURIZUDA_REPORT_PROGRAM, "export", "--db", server.Url(), "--station", "S2", "--station", "S3"});
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find("\r\n")).substr(run.out.find(",ISLINUXUSBMODE")),
              ",ISLINUXUSBMODE,STATION");
    EXPECT_NE(run.out.find("\r\nFAIL,2026-12-07 08:20:00,"), std::string::npos) << run.out;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\r'), 5);  // the header and S2's and S3's 4 rows
    const std::string withPassword = "postgresql://postgres:secret@" + server.Url().substr(server.Url().find('@') + 1);
    for (const auto& url : {withPassword, std::string("postgresql://postgres@127.0.0.1:1/none")}) {
        const ProgramRun refused = RunProgram({RURIZUDA_REPORT_PROGRAM, "yield", "--db", url});
        EXPECT_EQ(refused.status, 1) << url;
    }
}

}  // namespace
