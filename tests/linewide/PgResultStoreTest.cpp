// The line-wide result store against a real PostgreSQL server.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <set>
#include <csignal>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

#include "records/LineConnection.h"
#include "records/LineText.h"
#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ResultStoreCases.h"

namespace {

constexpr const char* kPass = "/opt/station/PASS.mdb";
constexpr const char* kFail = "/opt/station/FAIL.mdb";

class LineStore : public testing::Test {
protected:
    // Stores `row` without a duplicate check; true when the table was created.
    bool Append(const ResultRow& row, const char* location = kPass)
    {
        auto store = results->Begin(location);
        store->Insert(row);
        return store->Commit();
    }

    long long RowCount() { return std::stoll(server.Value("SELECT count(*) FROM SNTable")); }

    LineServer server;
    std::unique_ptr<ResultStore> results = MakePgResultStore(server.Url(), "ST-03");
};

TEST(LineConnection, DefaultsAreAddedOnlyWhereTheConnectionNamesNone)
{
    const std::string keepalives = "keepalives=1&keepalives_idle=5&keepalives_interval=2&keepalives_count=3";
    const std::pair<std::string, std::string> cases[] = {
        {"postgresql://station@dbhost/line1",
         "postgresql://station@dbhost/line1?connect_timeout=5&" + keepalives + "&tcp_user_timeout=10000"},
        {"postgres://dbhost/line1?sslmode=require&keepalives_idle=9&tcp_user_timeout=1",
         "postgres://dbhost/line1?sslmode=require&keepalives_idle=9&tcp_user_timeout=1&connect_timeout=5&"
         "keepalives=1&keepalives_interval=2&keepalives_count=3"},
        {"host=dbhost dbname=line1 connect_timeout=2",
         "host=dbhost dbname=line1 connect_timeout=2 keepalives=1 keepalives_idle=5 keepalives_interval=2 "
         "keepalives_count=3 tcp_user_timeout=10000"},
    };
    for (const auto& [given, expected] : cases)
        EXPECT_EQ(WithLineDefaults(given), expected);
}

TEST(LineText, StationNamesAreCutBeforeACharacterThatWouldNotFitWhole)
{
    std::string name = "ST-";
    for (int i = 0; i < 19; ++i)
        name += "\xC3\xA9";  // 2 bytes each: 41 bytes in all
    EXPECT_EQ(CutAtCharacter(name, 40), name.substr(0, 39));
    EXPECT_EQ(CutAtCharacter("ST-\xFF\xFE", 4), "ST-\xFF") << "bytes that are not UTF-8 are cut as bytes";
    EXPECT_EQ(CutAtCharacter("ST-03", 40), "ST-03");
}

TEST_F(LineStore, FirstStoreCreatesTheTableReadersQueryByTheFileColumnNames)
{
    ResultRow row = Unit("RZ26A0145871", "A4-5E-60-C1-22-9F", "867400012345678", "PB26A0145871");
    row[Column::IsRepair] = "YES";
    EXPECT_TRUE(Append(row));
    EXPECT_FALSE(Append(Unit("SN2", "M2", "I2", "P2"), kFail)) << "the second store finds the table";
    EXPECT_EQ(server.Value("SELECT string_agg(VERDICT || ' ' || STATION || ' ' || SN || ' ' || DTIME || ISREPAIR, "
                           "'|' ORDER BY ID) FROM SNTable"),
              "PASS ST-03 RZ26A0145871 Mon Dec  7 11:54:06 2026\nYES|FAIL ST-03 SN2 Mon Dec  7 11:54:06 2026\n");
    EXPECT_EQ(server.Value("SELECT count(*) FROM SNTable WHERE STORED_AT > now() - interval '1 minute'"), "2");
}

TEST_F(LineStore, DuplicateIsTheFirstStoredRowWithItsFirstMatchingIdentity)
{
    for (const auto& c : DuplicateCases()) {
        server.Execute("DROP TABLE IF EXISTS SNTable");
        results = MakePgResultStore(server.Url(), "ST-03");
        for (const auto& row : c.stored)
            Append(row);
        EXPECT_EQ(results->Begin(kPass)->FindDuplicate(c.unit), c.expected) << c.name;
        // Pass and fail results are apart, as in the local files.
        EXPECT_EQ(results->Begin(kFail)->FindDuplicate(c.unit), std::nullopt) << c.name;
    }
}

TEST_F(LineStore, HoldsTellsWhetherTheUnitsRowWasCommitted)
{
    for (const auto& c : HoldsCases()) {
        server.Execute("DROP TABLE IF EXISTS SNTable");
        results = MakePgResultStore(server.Url(), "ST-03");
        for (const auto& row : c.stored)
            Append(row);
        ResultRow unit;
        unit[Column::Sn] = c.sn;
        unit[Column::Dtime] = c.dtime;
        EXPECT_EQ(results->Holds(kPass, unit), c.held) << c.name;
        EXPECT_FALSE(results->Holds(kFail, unit)) << c.name << ": a pass row is not a fail row";
        EXPECT_FALSE(MakePgResultStore(server.Url(), "ST-04")->Holds(kPass, unit))
            << c.name << ": another station's row is not this station's";
    }
    const auto unreachable = MakePgResultStore("postgresql://station@127.0.0.1:1/line1", "ST-03");
    EXPECT_THROW(unreachable->Holds(kPass, Unit("SN1", "M1", "I1", "P1")), StoreError);
}

TEST_F(LineStore, UnreachableServerIsReportedAndOnlyBeginTouchesTheNetwork)
{
    // Port 1 on the local host: refused at once.
    const auto unreachable = MakePgResultStore("postgresql://station@127.0.0.1:1/line1", "ST-03");
    try {
        unreachable->Begin(kPass);
        ADD_FAILURE() << "began without a server";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find("the line database cannot be reached: "), std::string::npos)
            << error.what();
        EXPECT_NE(std::string(error.what()).find("127.0.0.1"), std::string::npos) << error.what();
    }
}

TEST_F(LineStore, ConnectionLostMidStoreStoresNothingAndTheUnitStoresOnceItIsBack)
{
    Append(Unit("SN0", "M0", "I0", "P0"));
    const ResultRow row = Unit("SN1", "M1", "I1", "P1");
    {
        auto store = results->Begin(kPass);
        EXPECT_EQ(store->FindDuplicate(row), std::nullopt);
        server.Execute("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                       "WHERE datname = current_database() AND pid <> pg_backend_pid()");
        try {
            store->Insert(row);
            store->Commit();
            ADD_FAILURE() << "stored over a lost connection";
        } catch (const StoreError& error) {
            EXPECT_NE(std::string(error.what()).find("the line database cannot be reached"), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ(RowCount(), 1);
    auto store = results->Begin(kPass);
    EXPECT_EQ(store->FindDuplicate(row), std::nullopt);
    store->Insert(row);
    store->Commit();
    EXPECT_EQ(server.Value("SELECT string_agg(SN, ',' ORDER BY ID) FROM SNTable"), "SN0,SN1");
}

// What one station process of a race reports as it ends.
struct StationReport {
    int station = -1;
    int stored = 0;
    int refused = 0;
    char error[256] = {};  // the store's error, when one ended the station
};
static_assert(sizeof(StationReport) <= PIPE_BUF, "a report arrives whole");

// One station process: tries to store each of `units` in turn, and reports
// to `report` how many it stored and how many it saw refused, or the error
// that ended it. It ends by SIGALRM at its deadline.
[[noreturn]] void RunStation(const std::string& url, int station, const std::vector<ResultRow>& units, int start,
                             int report)
{
    alarm(kForkedChildDeadlineSeconds);
    StationReport counts;
    counts.station = station;
    char go = 0;
    if (read(start, &go, 1) != 1)
        _exit(3);
    int status = 0;
    try {
        const auto results = MakePgResultStore(url, "ST-" + std::to_string(station));
        for (const ResultRow& row : units) {
            auto store = results->Begin(kPass);
            if (store->FindDuplicate(row)) {
                ++counts.refused;
                continue;
            }
            store->Insert(row);
            store->Commit();
            ++counts.stored;
        }
    } catch (const StoreError& error) {
        std::snprintf(counts.error, sizeof counts.error, "%s", error.what());
        status = 2;
    }
    _exit(write(report, &counts, sizeof counts) == sizeof counts ? status : 4);
}

// Starts one station process per entry of `units` at the same moment, each
// storing its units, and waits for them; the units stored and refused in all.
// A station that fails or ends without its report fails the test as soon
// as it has ended: only the stations hold the report pipe's write end.
struct RaceCounts {
    int stored = 0;
    int refused = 0;
};

RaceCounts RaceStations(const std::string& url, const std::vector<std::vector<ResultRow>>& units)
{
    const int stations = static_cast<int>(units.size());
    int start[2];
    int report[2];
    RaceCounts counts;
    EXPECT_EQ(pipe(start), 0);
    EXPECT_EQ(pipe(report), 0);
    std::vector<pid_t> children;
    for (int station = 0; station < stations; ++station) {
        const pid_t child = fork();
        EXPECT_NE(child, -1);
        if (child == 0) {
            close(start[1]);
            close(report[0]);
            RunStation(url, station, units[static_cast<size_t>(station)], start[0], report[1]);
        }
        children.push_back(child);
    }
    close(start[0]);
    close(report[1]);
    EXPECT_EQ(write(start[1], std::string(static_cast<size_t>(stations), 'g').data(), static_cast<size_t>(stations)),
              stations);
    close(start[1]);
    std::vector<StationReport> reports(static_cast<size_t>(stations));
    for (StationReport got; read(report[0], &got, sizeof got) == static_cast<ssize_t>(sizeof got);) {
        if (got.station >= 0 && got.station < stations)
            reports[static_cast<size_t>(got.station)] = got;
    }
    close(report[0]);
    for (int station = 0; station < stations; ++station) {
        const StationReport& reported = reports[static_cast<size_t>(station)];
        int status = 0;
        EXPECT_EQ(waitpid(children[static_cast<size_t>(station)], &status, 0), children[static_cast<size_t>(station)]);
        if (WIFSIGNALED(status)) {
            ADD_FAILURE() << "station " << station << " was ended by signal " << WTERMSIG(status)
                          << (WTERMSIG(status) == SIGALRM ? " at its deadline" : "");
        } else {
            EXPECT_EQ(WEXITSTATUS(status), 0) << "station " << station << ": " << reported.error;
        }
        EXPECT_EQ(reported.station, station) << "station " << station << " ended without its report";
        counts.stored += reported.stored;
        counts.refused += reported.refused;
    }
    return counts;
}

// Each station stores its own `count` units and, for every tenth, also
// tries the unit its neighbour stores at the same moment.
std::vector<std::vector<ResultRow>> OwnUnitsAndNeighbours(int stations, int count)
{
    const auto unit = [](int number) {
        const std::string id = std::to_string(number);
        return Unit("SN" + id, "M" + id, "I" + id, "P" + id);
    };
    std::vector<std::vector<ResultRow>> units(static_cast<size_t>(stations));
    for (int station = 0; station < stations; ++station) {
        for (int i = 0; i < count; ++i) {
            units[static_cast<size_t>(station)].push_back(unit(station * count + i));
            if (i % 10 == 9)
                units[static_cast<size_t>(station)].push_back(unit((station + 1) % stations * count + i));
        }
    }
    return units;
}

TEST_F(LineStore, EightStationsWithCrossStationDuplicatesStoreEachUnitExactlyOnce)
{
    constexpr int kStations = 8;
    constexpr int kUnits = 1000;
    Append(Unit("SEED", "SEED", "SEED", "SEED"));  // the table exists before the race
    const RaceCounts counts = RaceStations(server.Url(), OwnUnitsAndNeighbours(kStations, kUnits));
    EXPECT_EQ(counts.stored, kStations * kUnits);
    EXPECT_EQ(counts.refused, kStations * kUnits / 10);
    EXPECT_EQ(RowCount(), kStations * kUnits + 1);
    EXPECT_EQ(server.Value("SELECT count(DISTINCT SN) FROM SNTable"), std::to_string(kStations * kUnits + 1));
    EXPECT_EQ(server.Value("SELECT count(DISTINCT STATION) FROM SNTable WHERE SN <> 'SEED'"), "8");
}

TEST_F(LineStore, StationsStartingTogetherOnAnEmptyDatabaseCreateTheTableOnce)
{
    constexpr int kStations = 4;
    RaceStations(server.Url(), OwnUnitsAndNeighbours(kStations, 10));
    EXPECT_EQ(RowCount(), kStations * 10);
}

// Two stations store different units at the same moment that share one
// identity only: each identity takes part in the lock.
TEST_F(LineStore, UnitsSharingOnlyOneIdentityAreStoredOnceWhenRacing)
{
    constexpr int kRounds = 150;
    Append(Unit("SEED", "SEED", "SEED", "SEED"));
    for (Column shared : {Column::PcbaSn, Column::Imei}) {
        std::vector<std::vector<ResultRow>> units(2);
        for (int round = 0; round < kRounds; ++round) {
            for (int station = 0; station < 2; ++station) {
                const std::string id = std::to_string(static_cast<int>(shared)) + "-" + std::to_string(round) + "-";
                ResultRow row = Unit(id + "SN" + std::to_string(station), id + "M" + std::to_string(station),
                                     id + "I" + std::to_string(station), id + "P" + std::to_string(station));
                row[shared] = id + "shared";
                units[static_cast<size_t>(station)].push_back(row);
            }
        }
        const RaceCounts counts = RaceStations(server.Url(), units);
        EXPECT_EQ(counts.stored, kRounds) << kColumnNames[static_cast<size_t>(shared)];
        EXPECT_EQ(counts.refused, kRounds) << kColumnNames[static_cast<size_t>(shared)];
    }
}

// Unit texts are bytes: one that is not UTF-8 is stored as Latin-1 and
// found again as a duplicate.
TEST_F(LineStore, TextsThatAreNotUtf8AreStoredOnceAndFoundAgain)
{
    ResultRow row = Unit("SN\xE9\xFF", "M1", "I1", "P1");
    row[Column::Ssid] = "RZ-\xFF\x80";
    row[Column::Ver] = "RZ_\xC3\xA9";  // valid UTF-8 stays as it is
    row[Column::LockPn] = "PN\xC0\xAF\xC1\xBF";  // overlong forms are not UTF-8
    Append(row);
    EXPECT_EQ(server.Value("SELECT SN || '|' || SSID || '|' || VER || '|' || LOCKPN FROM SNTable"),
              "SN\u00E9\u00FF|RZ-\u00FF\u0080|RZ_\u00E9|PN\u00C0\u00AF\u00C1\u00BF");
    auto store = results->Begin(kPass);
    EXPECT_EQ(store->FindDuplicate(Unit("SN\xE9\xFF", "M2", "I2", "P2")), Column::Sn);
}

// Every wait of a store ends: on another station's locks within the lock
// time-out, on a server that stopped answering within the deadline; the
// next store then succeeds and nothing was stored twice.
TEST_F(LineStore, AStoreThatCannotFinishEndsInTimeAndTheNextOneStores)
{
    const auto failsWithin = [this](const ResultRow& row, const std::string& reason, int seconds) {
        const auto started = std::chrono::steady_clock::now();
        try {
            auto store = results->Begin(kPass);
            store->FindDuplicate(row);
            store->Insert(row);
            store->Commit();
            ADD_FAILURE() << "stored";
        } catch (const StoreError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(seconds));
    };
    const ResultRow row = Unit("SN1", "M1", "I1", "P1");
    Append(Unit("SN0", "M0", "I0", "P0"));
    {
        const auto other = MakePgResultStore(server.Url(), "ST-05");
        auto holding = other->Begin(kPass);
        EXPECT_EQ(holding->FindDuplicate(row), std::nullopt);  // takes the unit's locks
        failsWithin(row, "did not finish the store within 5 s", 8);
    }
    const std::string backend = server.Value("SELECT pid FROM pg_stat_activity WHERE datname = current_database() "
                                             "AND pid <> pg_backend_pid() ORDER BY backend_start LIMIT 1");
    ASSERT_EQ(kill(std::stoi(backend), SIGSTOP), 0);
    failsWithin(row, "did not answer within 10 s", 13);
    ASSERT_EQ(kill(std::stoi(backend), SIGCONT), 0);
    Append(row);
    EXPECT_EQ(server.Value("SELECT string_agg(SN, ',' ORDER BY ID) FROM SNTable"), "SN0,SN1");
}

// A store kept a while after it has ended on the server (a slow machine,
// a caller that ends it later) is past its deadline by then: the deadline
// has ended with the commit, so the connection stays; a store kept open
// past it is cut, and the next store connects anew. Either way the next
// store stores.
TEST_F(LineStore, AStoreKeptPastItsDeadlineLeavesTheNextStoreAWorkingConnection)
{
    constexpr auto kDeadline = std::chrono::milliseconds(1000);
    const struct {
        const char* name;
        const char* sn;  // SN0 is stored before: refused
        bool commits;
        bool sameConnection;  // the next store runs on the kept store's connection
    } cases[] = {
        {"kept after its commit", "SN1", true, true},
        {"kept after a refusal", "SN0", false, false},
    };
    const auto backends = [this] {
        return server.Value("SELECT string_agg(pid::text, ',' ORDER BY pid) FROM pg_stat_activity "
                            "WHERE datname = current_database() AND pid <> pg_backend_pid()");
    };
    Append(Unit("SN0", "M0", "I0", "P0"));
    results = MakePgResultStore(server.Url(), "ST-03", kDeadline);
    std::string expected = "SN0";
    for (const auto& c : cases) {
        const std::string name = c.name;
        const ResultRow row = Unit(c.sn, "M-" + name, "I-" + name, "P-" + name);
        std::string kept;
        {
            auto store = results->Begin(kPass);
            EXPECT_EQ(store->FindDuplicate(row).has_value(), !c.commits) << name;
            if (c.commits) {
                store->Insert(row);
                store->Commit();
                expected += std::string(",") + c.sn;
            }
            kept = backends();
            std::this_thread::sleep_for(2 * kDeadline);
        }
        const ResultRow next = Unit("NEXT-" + name, "MN-" + name, "IN-" + name, "PN-" + name);
        try {
            auto store = results->Begin(kFail);
            EXPECT_EQ(store->FindDuplicate(next), std::nullopt) << name;
            store->Insert(next);
            store->Commit();
            expected += ",NEXT-" + name;
            EXPECT_EQ(backends() == kept, c.sameConnection) << name << ": before " << kept << ", after " << backends();
        } catch (const StoreError& error) {
            ADD_FAILURE() << name << ": the next store failed: " << error.what();
        }
    }
    EXPECT_EQ(server.Value("SELECT string_agg(SN, ',' ORDER BY ID) FROM SNTable"), expected);
}

}  // namespace
