// The line-wide result store against a real PostgreSQL server.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

#include "records/PgResultStore.h"
#include "tests/linewide/LineServer.h"
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

TEST(ConnectTimeout, IsAddedOnlyWhereTheConnectionNamesNone)
{
    const std::pair<const char*, const char*> cases[] = {
        {"postgresql://station@dbhost/line1", "postgresql://station@dbhost/line1?connect_timeout=5"},
        {"postgres://dbhost/line1?sslmode=require", "postgres://dbhost/line1?sslmode=require&connect_timeout=5"},
        {"postgresql://dbhost/line1?connect_timeout=2", "postgresql://dbhost/line1?connect_timeout=2"},
        {"host=dbhost dbname=line1", "host=dbhost dbname=line1 connect_timeout=5"},
    };
    for (const auto& [given, expected] : cases)
        EXPECT_EQ(WithConnectTimeout(given), expected);
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

// One station process: stores its own units and, for every tenth, also
// tries the unit its neighbour stores at the same moment. Writes how many it
// stored and how many it saw refused to `report`.
[[noreturn]] void RunStation(const std::string& url, int station, int stations, int units, int start, int report)
{
    char go = 0;
    if (read(start, &go, 1) != 1)
        _exit(3);
    int counts[2] = {0, 0};
    try {
        const auto results = MakePgResultStore(url, "ST-" + std::to_string(station));
        const auto tryStore = [&](int unit) {
            const std::string id = std::to_string(unit);
            const ResultRow row = Unit("SN" + id, "M" + id, "I" + id, "P" + id);
            auto store = results->Begin(kPass);
            if (store->FindDuplicate(row)) {
                ++counts[1];
                return;
            }
            store->Insert(row);
            store->Commit();
            ++counts[0];
        };
        for (int i = 0; i < units; ++i) {
            tryStore(station * units + i);
            if (i % 10 == 9)
                tryStore((station + 1) % stations * units + i);
        }
    } catch (const StoreError& error) {
        std::fprintf(stderr, "station %d: %s\n", station, error.what());
        _exit(2);
    }
    _exit(write(report, counts, sizeof counts) == sizeof counts ? 0 : 4);
}

// Starts `stations` station processes at the same moment, each storing
// `units` units, and waits for them; the units stored and refused in all.
struct RaceCounts {
    int stored = 0;
    int refused = 0;
};

RaceCounts RaceStations(const std::string& url, int stations, int units)
{
    int start[2];
    int report[2];
    RaceCounts counts;
    EXPECT_EQ(pipe(start), 0);
    EXPECT_EQ(pipe(report), 0);
    std::vector<pid_t> children;
    for (int station = 0; station < stations; ++station) {
        const pid_t child = fork();
        EXPECT_NE(child, -1);
        if (child == 0)
            RunStation(url, station, stations, units, start[0], report[1]);
        children.push_back(child);
    }
    EXPECT_EQ(write(start[1], std::string(static_cast<size_t>(stations), 'g').data(), static_cast<size_t>(stations)),
              stations);
    for (pid_t child : children) {
        int status = 0;
        EXPECT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        int reported[2] = {0, 0};
        EXPECT_EQ(read(report[0], reported, sizeof reported), static_cast<ssize_t>(sizeof reported));
        counts.stored += reported[0];
        counts.refused += reported[1];
    }
    for (int fd : {start[0], start[1], report[0], report[1]})
        close(fd);
    return counts;
}

TEST_F(LineStore, EightStationsWithCrossStationDuplicatesStoreEachUnitExactlyOnce)
{
    constexpr int kStations = 8;
    constexpr int kUnits = 1000;
    Append(Unit("SEED", "SEED", "SEED", "SEED"));  // the table exists before the race
    const RaceCounts counts = RaceStations(server.Url(), kStations, kUnits);
    EXPECT_EQ(counts.stored, kStations * kUnits);
    EXPECT_EQ(counts.refused, kStations * kUnits / 10);
    EXPECT_EQ(RowCount(), kStations * kUnits + 1);
    EXPECT_EQ(server.Value("SELECT count(DISTINCT SN) FROM SNTable"), std::to_string(kStations * kUnits + 1));
    EXPECT_EQ(server.Value("SELECT count(DISTINCT STATION) FROM SNTable WHERE SN <> 'SEED'"), "8");
}

TEST_F(LineStore, StationsStartingTogetherOnAnEmptyDatabaseCreateTheTableOnce)
{
    constexpr int kStations = 4;
    RaceStations(server.Url(), kStations, 10);
    EXPECT_EQ(RowCount(), kStations * 10);
}

}  // namespace
