// The SQLite result store against real files in a temporary folder.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fstream>
#include <mutex>
#include <set>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "records/ResultStore.h"
#include "records/SqliteResultStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ResultStoreCases.h"
#include "tests/support/SqliteFiles.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

class ResultFile : public testing::Test {
protected:
    // Stores `row` without a duplicate check; true when the file was created.
    bool Append(const ResultRow& row)
    {
        auto store = results->Begin(file.string());
        store->Insert(row);
        return store->Commit();
    }

    long long RowCount() { return std::stoll(*Query(file, "SELECT count(*) FROM SNTable").at(0).at(0)); }

    TempWorkDir dir;
    fs::path file = dir.Path() / "PASS.mdb";
    std::unique_ptr<ResultStore> results = MakeSqliteResultStore();
};

TEST_F(ResultFile, NewFileHoldsExactlyTheStatementsTableAndItsFirstRow)
{
    ResultRow row = Unit("RZ26A0145871", "A4-5E-60-C1-22-9F", "867400012345678", "PB26A0145871");
    row[Column::IsRepair] = "YES";
    EXPECT_TRUE(Append(row));
    std::string statement = kCreateResultTable;
    statement.pop_back();  // the engine keeps the statement without its semicolon
    EXPECT_EQ(Query(file, "SELECT sql FROM sqlite_master WHERE name = 'SNTable'"), Rows {{statement}});
    // A user's own tool reads the row by column name.
    EXPECT_EQ(Query(file, "SELECT SN, DTIME, ISREPAIR, LOCKPN FROM SNTable"),
              (Rows {{"RZ26A0145871", "Mon Dec  7 11:54:06 2026\n", "YES", ""}}));
    EXPECT_FALSE(Append(row)) << "the second store finds the file";
    EXPECT_EQ(RowCount(), 2);
}

TEST_F(ResultFile, DuplicateIsTheFirstStoredRowWithItsFirstMatchingIdentity)
{
    for (const auto& c : DuplicateCases()) {
        fs::remove(file);
        for (const auto& row : c.stored)
            Append(row);
        auto store = results->Begin(file.string());
        EXPECT_EQ(store->FindDuplicate(c.unit), c.expected) << c.name;
    }
}

TEST_F(ResultFile, HoldsTellsWhetherTheUnitsRowWasCommitted)
{
    for (const auto& c : HoldsCases()) {
        fs::remove(file);
        for (const auto& row : c.stored)
            Append(row);
        ResultRow unit;
        unit[Column::Sn] = c.sn;
        unit[Column::Dtime] = c.dtime;
        EXPECT_EQ(results->Holds(file.string(), unit), c.held) << c.name;
    }
    fs::remove(file);
    ResultRow unit = Unit("SN1", "M1", "I1", "P1");
    EXPECT_FALSE(results->Holds(file.string(), unit)) << "a file not made yet";
    EXPECT_FALSE(fs::exists(file)) << "looking makes no file";
    // A store killed before its commit leaves its row out.
    {
        auto store = results->Begin(file.string());
        store->Insert(unit);
        EXPECT_FALSE(MakeSqliteResultStore()->Holds(file.string(), unit)) << "not committed yet";
    }
}

TEST_F(ResultFile, ForeignFileIsReportedAndLeftByteForByte)
{
    const auto otherDatabase = [](const fs::path& path) {
        Query(path, "CREATE TABLE Units(SN TEXT)");
        Query(path, "INSERT INTO Units VALUES ('X')");
    };
    const auto textFile = [](const fs::path& path) { std::ofstream(path) << "SN;MAC\nRZ1;A4\n"; };
    const std::pair<const char*, void (*)(const fs::path&)> foreign[] = {
        {"no table SNTable", otherDatabase},
        {"file is not a database", textFile},
    };
    for (const auto& [reason, make] : foreign) {
        fs::remove(file);
        make(file);
        const std::string before = ReadFileText(file);
        try {
            auto store = results->Begin(file.string());
            store->Insert(Unit("SN1", "M1", "I1", "P1"));
            store->Commit();
            ADD_FAILURE() << reason << ": stored";
        } catch (const StoreError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
        }
        EXPECT_EQ(ReadFileText(file), before) << reason;
        EXPECT_FALSE(fs::exists(file.string() + "-journal")) << reason;
    }
}

TEST_F(ResultFile, FolderThatCannotHoldTheFileIsReportedAndNothingIsCreated)
{
    std::ofstream(dir.Path() / "station") << "a regular file, not a folder";
    const fs::path impossible = dir.Path() / "station" / "PASS.mdb";
    EXPECT_THROW(results->Begin(impossible.string()), StoreError);
    EXPECT_EQ(ReadFileText(dir.Path() / "station"), "a regular file, not a folder");
}

TEST_F(ResultFile, FileHeldByAnotherProgramIsReportedAsInUse)
{
    Append(Unit("SN1", "M1", "I1", "P1"));
    auto other = results->Begin(file.string());  // holds the write lock
    try {
        results->Begin(file.string());
        ADD_FAILURE() << "began while another store holds the file";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find("in use by another program"), std::string::npos) << error.what();
    }
}

TEST_F(ResultFile, StoreKilledBeforeItsCommitLeavesNoRowAndAHealthyFile)
{
    Append(Unit("SN1", "M1", "I1", "P1"));
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        auto store = MakeSqliteResultStore()->Begin(file.string());
        store->Insert(Unit("SN2", "M2", "I2", "P2"));
        raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(Query(file, "PRAGMA integrity_check"), Rows {{"ok"}});
    EXPECT_EQ(Query(file, "SELECT SN FROM SNTable"), Rows {{"SN1"}});
}

// Runs one whole store in a child process once `start` is readable; exits
// 0 stored, 1 refused as a duplicate, 2 an engine error.
pid_t StoreInChild(const fs::path& file, int start, const ResultRow& row)
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    alarm(kForkedChildDeadlineSeconds);
    char go = 0;
    if (read(start, &go, 1) != 1)
        _exit(3);
    try {
        auto store = MakeSqliteResultStore()->Begin(file.string());
        if (store->FindDuplicate(row))
            _exit(1);
        store->Insert(row);
        store->Commit();
        _exit(0);
    } catch (const StoreError&) {
        _exit(2);
    }
}

TEST_F(ResultFile, TwoStationsStoringTheSameUnitAtOnceStoreItOnce)
{
    for (bool fileExists : {false, true}) {
        fs::remove(file);
        if (fileExists)
            Append(Unit("SN0", "M0", "I0", "P0"));
        int start[2];
        ASSERT_EQ(pipe(start), 0);
        const ResultRow row = Unit("SN1", "M1", "I1", "P1");
        const pid_t first = StoreInChild(file, start[0], row);
        const pid_t second = StoreInChild(file, start[0], row);
        ASSERT_EQ(write(start[1], "gg", 2), 2);
        close(start[0]);
        close(start[1]);
        std::multiset<int> outcomes;
        for (pid_t child : {first, second}) {
            int status = 0;
            ASSERT_EQ(waitpid(child, &status, 0), child);
            ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
            outcomes.insert(WEXITSTATUS(status));
        }
        EXPECT_EQ(outcomes, (std::multiset<int> {0, 1})) << "file existed: " << fileExists;
        EXPECT_EQ(Query(file, "SELECT count(*) FROM SNTable WHERE SN = 'SN1'"), Rows {{"1"}});
    }
}

// Two stores of one process (two slots' threads, say) make the missing
// file at the same moment: each makes its table in a temporary file of its
// own, one of them gives the file its name, and both units are stored.
TEST_F(ResultFile, TwoStoresOfOneProcessMakingTheFileAtOnceBothStore)
{
    constexpr auto kMeetingWait = std::chrono::seconds(5);
    std::mutex mutex;
    std::condition_variable arrived;
    int waiting = 0;
    SqliteStoreSteps steps;
    // Each store waits here, its temporary file made, for the other.
    steps.temporaryMade = [&](const std::string& temporary) {
        EXPECT_TRUE(fs::exists(temporary));
        std::unique_lock lock(mutex);
        ++waiting;
        arrived.notify_all();
        arrived.wait_for(lock, kMeetingWait, [&] { return waiting == 2; });
    };
    std::string outcomes[2];
    std::thread stores[2];
    for (int i = 0; i < 2; ++i) {
        stores[i] = std::thread([&, i] {
            const std::string id = std::to_string(i + 1);
            try {
                auto store = MakeSqliteResultStore(steps)->Begin(file.string());
                store->Insert(Unit("SN" + id, "M" + id, "I" + id, "P" + id));
                outcomes[i] = store->Commit() ? "made the file" : "found the file";
            } catch (const StoreError& error) {
                outcomes[i] = error.what();
            }
        });
    }
    for (auto& store : stores)
        store.join();
    EXPECT_EQ(waiting, 2) << "a store never had its temporary file beside the other's";
    EXPECT_EQ(std::multiset<std::string>(std::begin(outcomes), std::end(outcomes)),
              (std::multiset<std::string> {"made the file", "found the file"}));
    EXPECT_EQ(Query(file, "SELECT SN FROM SNTable ORDER BY SN"), (Rows {{"SN1"}, {"SN2"}}));
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find("PASS.mdb.new"), std::string::npos)
            << entry.path() << " left behind";
}

}  // namespace
