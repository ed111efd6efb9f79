// The SQLite result store under faults of the process and the disk: a store
// killed at random moments, and a file that cannot grow. The kill moments are
// drawn from a seed printed with the test; RURIZUDA_FAULT_SEED repeats a run.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <map>
#include <poll.h>
#include <optional>
#include <random>
#include <set>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "records/ResultStore.h"
#include "records/SqliteResultStore.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FaultSeed.h"
#include "tests/support/SqliteFiles.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kKills = 200;
constexpr int kLongestKillDelayUs = 30'000;  // a store takes a few milliseconds
// How long a kill that falls after a finished store waits for that store:
// on a loaded machine (or a sanitizer build) a store can take longer than
// the longest delay.
constexpr int kFirstCommitWaitMs = 10'000;

// Unit `number`: every column holds its own name and the number, so a row
// mixed from two units or cut short shows in any column.
ResultRow NumberedUnit(long number)
{
    ResultRow row;
    for (size_t i = 0; i < kColumnCount; ++i)
        row[static_cast<Column>(i)] = std::string(kColumnNames[i]) + "-" + std::to_string(number);
    return row;
}

// The file a unit goes to: the station keeps both files busy.
const char* FileOf(long number)
{
    return number % 2 ? "FAIL.mdb" : "PASS.mdb";
}

std::string AllColumns()
{
    std::string columns;
    for (size_t i = 0; i < kColumnCount; ++i)
        columns += std::string(i ? "," : "") + "\"" + kColumnNames[i] + "\"";
    return columns;
}

// Stores units from `first` on, forever, and writes each unit's number to
// `committed` as soon as its commit has returned. Runs in a forked child.
[[noreturn]] void StoreForever(const fs::path& folder, long first, int committed)
{
    auto results = MakeSqliteResultStore();
    for (long number = first;; ++number) {
        try {
            auto store = results->Begin((folder / FileOf(number)).string());
            if (store->FindDuplicate(NumberedUnit(number)))
                _exit(3);
            store->Insert(NumberedUnit(number));
            store->Commit();
        } catch (const StoreError&) {
            _exit(2);
        }
        if (write(committed, &number, sizeof number) != sizeof number)
            _exit(4);
    }
}

class StoreFaults : public testing::Test {
protected:
    // Checks both files as a user's own tool finds them; the unit numbers
    // stored in them, each counted once.
    std::multiset<long> CheckFiles(const std::string& moment)
    {
        std::multiset<long> stored;
        for (const char* name : {"PASS.mdb", "FAIL.mdb"}) {
            const fs::path file = dir.Path() / name;
            if (!fs::exists(file))
                continue;
            // Opening the file rolls back a store cut short.
            EXPECT_EQ(Query(file, "PRAGMA integrity_check"), Rows {{"ok"}}) << name << " " << moment;
            // A file whose first store was cut short is empty again; the
            // next store brings its table into being.
            if (fs::file_size(file) == 0)
                continue;
            for (const auto& row : Query(file, "SELECT " + AllColumns() + " FROM SNTable")) {
                const std::string sn = row.at(static_cast<size_t>(Column::Sn)).value_or("");
                const long number = std::stol(sn.substr(sn.find('-') + 1));
                const ResultRow whole = NumberedUnit(number);
                for (size_t i = 0; i < kColumnCount; ++i)
                    EXPECT_EQ(row.at(i), Cell(whole[static_cast<Column>(i)])) << name << " unit " << number << " " << moment;
                EXPECT_STREQ(FileOf(number), name) << moment;
                stored.insert(number);
            }
        }
        return stored;
    }

    TempWorkDir dir;
};

TEST_F(StoreFaults, StoreKilledAtRandomMomentsKeepsEveryCommittedRowWholeAndTheFilesHealthy)
{
    const unsigned seed = FaultSeed();
    std::cout << "fault seed " << seed << " (" << kSeedVariable << " repeats it)" << std::endl;
    RecordProperty("fault_seed", std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> delayUs(0, kLongestKillDelayUs);

    std::set<long> committed;
    long next = 0;
    for (int kill = 0; kill < kKills && !HasFailure(); ++kill) {
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            close(pipeEnds[0]);
            StoreForever(dir.Path(), next, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        // Every second kill falls after the child's first finished store,
        // so some stores finish whatever the machine's speed; the others
        // fall anywhere from the start, the making of a new file included.
        if (kill % 2 == 1) {
            pollfd finished {pipeEnds[0], POLLIN, 0};
            EXPECT_EQ(poll(&finished, 1, kFirstCommitWaitMs), 1)
                << "no store finished within " << kFirstCommitWaitMs << " ms";
        }
        const int delay = delayUs(random);
        std::this_thread::sleep_for(std::chrono::microseconds(delay));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << WEXITSTATUS(status);
        long number = 0;
        while (read(pipeEnds[0], &number, sizeof number) == sizeof number)
            committed.insert(number);
        close(pipeEnds[0]);

        const std::string moment = "kill " + std::to_string(kill) + " after " + std::to_string(delay) +
                                   " us, seed " + std::to_string(seed);
        const std::multiset<long> stored = CheckFiles(moment);
        for (long unit : committed)
            EXPECT_EQ(stored.count(unit), 1u) << "committed unit " << unit << " after " << moment;
        // A unit whose commit reached the disk but not the pipe counts as
        // stored; the next child starts after it.
        if (!stored.empty())
            next = *stored.rbegin() + 1;
    }
    std::cout << kKills << " kills, " << committed.size() << " units reported committed, " << next
              << " units stored" << std::endl;
    EXPECT_GT(committed.size(), 0u) << "no store ever finished before its kill";
}

// Opens a store of one unit in a child whose files cannot grow past
// `limitBytes`; the child writes the store's error message to `message`.
[[noreturn]] void StoreWithSizeLimit(const fs::path& file, rlim_t limitBytes, long first, int message)
{
    alarm(kForkedChildDeadlineSeconds);
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit {limitBytes, limitBytes};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        _exit(5);
    auto results = MakeSqliteResultStore();
    // Even numbers: the units that belong to PASS.mdb.
    for (long number = first;; number += 2) {
        try {
            auto store = results->Begin(file.string());
            store->Insert(NumberedUnit(number));
            store->Commit();
        } catch (const StoreError& error) {
            const std::string text = error.what();
            _exit(write(message, text.data(), text.size()) == static_cast<ssize_t>(text.size()) ? 0 : 4);
        }
    }
}

TEST_F(StoreFaults, FullDiskStopsTheStoreWithAClearMessageAndLeavesTheFileHealthy)
{
    // A file that cannot be created, and one that fills up after some rows.
    for (const rlim_t limit : {rlim_t {0}, rlim_t {64 * 1024}}) {
        const fs::path file = dir.Path() / "PASS.mdb";
        fs::remove(file);
        int pipeEnds[2];
        ASSERT_EQ(pipe(pipeEnds), 0);
        const pid_t child = fork();
        ASSERT_NE(child, -1);
        if (child == 0) {
            close(pipeEnds[0]);
            StoreWithSizeLimit(file, limit, 0, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << "limit " << limit << ": " << (WIFSIGNALED(status) ? "ended by signal " + std::to_string(WTERMSIG(status))
                                                                  : "status " + std::to_string(WEXITSTATUS(status)));
        std::string message(512, '\0');
        const ssize_t got = read(pipeEnds[0], message.data(), message.size());
        close(pipeEnds[0]);
        message.resize(got > 0 ? static_cast<size_t>(got) : 0);
        EXPECT_NE(message.find("disk is full"), std::string::npos) << message;
        EXPECT_NE(message.find("PASS.mdb"), std::string::npos) << message;
        if (limit == 0) {
            EXPECT_FALSE(fs::exists(file)) << "a file without a row is not left behind";
        }
        const std::multiset<long> stored = CheckFiles("limit " + std::to_string(limit));
        if (limit > 0) {
            EXPECT_GT(stored.size(), 0u) << "no row fitted below the limit";
        }
        for (long number = 0; number < 2 * static_cast<long>(stored.size()); number += 2)
            EXPECT_EQ(stored.count(number), 1u) << "rows are stored in order, none lost";
    }
}

// While it lives, no file of this process grows past `bytes`: a write
// beyond fails as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
        : previousSignal_(signal(SIGXFSZ, SIG_IGN))
    {
        getrlimit(RLIMIT_FSIZE, &previous_);
        const rlimit limit {bytes, previous_.rlim_max};
        EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        signal(SIGXFSZ, previousSignal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    sighandler_t previousSignal_;
    rlimit previous_ {};
};

// A store that made a new file is overtaken there: between the moment the
// file took its name and the moment the maker opens it, another station
// stores its unit. Whatever then becomes of the maker's store, the other
// station's committed row stays.
TEST_F(StoreFaults, RowStoredInANewFileSurvivesTheEndOfTheStoreThatMadeTheFile)
{
    constexpr long kOther = 0;
    const struct {
        const char* name;
        long unit;                // the maker's unit
        bool diskFullAfterOther;  // the disk fills up once the other row is in
        std::string outcome;      // the maker's, or a part of its error
    } cases[] = {
        {"maker refused as a duplicate", kOther, false, "refused"},
        {"maker fails on a full disk", 2, true, "disk is full"},
    };
    const fs::path file = dir.Path() / FileOf(kOther);
    for (const auto& c : cases) {
        fs::remove(file);
        std::optional<FileSizeLimit> full;
        const auto other = MakeSqliteResultStore();
        SqliteStoreSteps steps;
        steps.fileMade = [&] {
            auto store = other->Begin(file.string());
            store->Insert(NumberedUnit(kOther));
            EXPECT_FALSE(store->Commit()) << c.name << ": the other station found the file made";
            if (c.diskFullAfterOther)
                full.emplace(0);
        };
        std::string outcome;
        try {
            auto store = MakeSqliteResultStore(std::move(steps))->Begin(file.string());
            if (store->FindDuplicate(NumberedUnit(c.unit))) {
                outcome = "refused";
            } else {
                store->Insert(NumberedUnit(c.unit));
                store->Commit();
                outcome = "stored";
            }
        } catch (const StoreError& error) {
            outcome = error.what();
        }
        full.reset();
        EXPECT_NE(outcome.find(c.outcome), std::string::npos) << c.name << ": " << outcome;
        EXPECT_EQ(CheckFiles(c.name), std::multiset<long> {kOther}) << c.name;
        EXPECT_EQ(Query(file, "PRAGMA integrity_check"), Rows {{"ok"}}) << c.name;
    }
}

}  // namespace
