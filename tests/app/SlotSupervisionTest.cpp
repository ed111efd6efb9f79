// The launcher watches its slots' stations: the restart budget in virtual
// time, the supervisor with stand-in stations, and the real launcher with
// real stations killed from outside.
#include "app/RestartBudget.h"
#include "app/SlotSupervisor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>

#include "tests/support/TempDir.h"

namespace {

using namespace std::chrono_literals;
using Clock = RestartBudget::Clock;

// Bounds of every wait on a process here: a failing case ends in seconds.
constexpr auto kStationsStartWithin = 30s;
constexpr auto kRestartedWithin = 2s;
constexpr auto kGoneWithin = 1s;
constexpr auto kPollStep = 20ms;
constexpr int kSupervisorGuardMs = 20000;

// ---- the budget, in virtual time

struct BudgetRow {
    const char* name;
    std::vector<std::chrono::milliseconds> ends;  // abnormal ends, from the first
    std::vector<bool> restarted;                  // the budget's answer to each
};

const BudgetRow kBudgetRows[] = {
    {"FiveRestartsAtOnce", {0s, 1s, 2s, 3s, 4s}, {true, true, true, true, true}},
    {"SixthWithinTenMinutesIsRefused", {0s, 1s, 2s, 3s, 4s, 599999ms}, {true, true, true, true, true, false}},
    {"FirstRestartLeavesTheWindowAtTenMinutes", {0s, 1s, 2s, 3s, 4s, 600s}, {true, true, true, true, true, true}},
    {"RefusedEndsDoNotCount", {0s, 1s, 2s, 3s, 4s, 5s, 6s, 601s}, {true, true, true, true, true, false, false, true}},
    {"SpreadEndsAlwaysRestart", {0s, 180s, 360s, 540s, 720s, 900s, 1080s, 1260s},
     {true, true, true, true, true, true, true, true}},
};

void PrintTo(const BudgetRow& row, std::ostream* out)
{
    *out << row.name;
}

class BudgetRule : public testing::TestWithParam<BudgetRow> {};

TEST_P(BudgetRule, RestartsAtMostFiveTimesInTenMinutes)
{
    const BudgetRow& row = GetParam();
    RestartBudget budget;
    const Clock::time_point start {};
    for (size_t i = 0; i < row.ends.size(); ++i)
        EXPECT_EQ(budget.TakeRestart(start + row.ends[i]), row.restarted[i]) << "end " << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, BudgetRule, testing::ValuesIn(kBudgetRows),
                         [](const testing::TestParamInfo<BudgetRow>& info) { return info.param.name; });

// The wait status of a real shell that runs `script`.
int StatusOf(const std::string& script)
{
    const pid_t pid = fork();
    if (pid == 0) {
        execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

TEST(StationEnd, OnlyStatusZeroIsTheOperatorsEnd)
{
    const struct {
        const char* script;
        bool abnormal;
        const char* reason;
    } cases[] = {
        {"exit 0", false, "ended with status 0"},
        {"exit 3", true, "ended with status 3"},
        {"kill -KILL $$", true, "ended by signal 9 (Killed)"},
        {"kill -SEGV $$", true, "ended by signal 11 (Segmentation fault)"},
    };
    for (const auto& c : cases) {
        const int status = StatusOf(c.script);
        EXPECT_EQ(EndedAbnormally(status), c.abnormal) << c.script;
        EXPECT_EQ(EndReason(status), c.reason) << c.script;
    }
}

// ---- the supervisor, with shell scripts standing in for stations

// A stand-in station: a script that notes each start of its slot in
// starts-N beside it, then runs `body`.
std::string StandIn(const std::filesystem::path& dir, const std::string& body)
{
    const std::filesystem::path path = dir / "station.sh";
    std::ofstream(path) << "#!/bin/sh\n"
                           "# $1 $2: --slot N\n"
                           "echo started >> \"$(dirname \"$0\")/starts-$2\"\n"
                        << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
}

int Starts(const std::filesystem::path& dir, int slot)
{
    std::ifstream in(dir / ("starts-" + std::to_string(slot)));
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

// A signal that the supervisor of this thread takes as the launcher's.
void SignalThisThread(int signal)
{
    pthread_kill(pthread_self(), signal);
}

struct SupervisedRun {
    int status = -1;
    std::vector<std::string> boxes;  // texts of the boxes shown
    qint64 tookMs = 0;
};

// Runs a supervisor over stand-ins of `slotNumbers`; each box is read and closed as
// it opens. `during` runs once the supervisor runs. A guard ends the run
// (as SIGTERM would) when it has not ended by itself.
SupervisedRun Supervise(const std::string& program, const std::vector<int>& slotNumbers,
                        const std::function<void()>& during = {})
{
    const LauncherSignals held;
    SupervisedRun run;
    SlotLaunch launch;
    launch.program = program;
    SlotSupervisor supervisor(launch, held);
    for (const int slot : slotNumbers)
        supervisor.Start({slot, ""}, QPoint(0, 0), 1.0);
    QTimer boxReader;
    QObject::connect(&boxReader, &QTimer::timeout, [&] {
        for (QMessageBox* box : std::vector<QMessageBox*>(supervisor.Boxes())) {
            run.boxes.push_back(box->text().toStdString());
            box->done(QMessageBox::Ok);
        }
    });
    boxReader.start(50);
    QTimer start;
    start.setSingleShot(true);
    if (during)
        QObject::connect(&start, &QTimer::timeout, during);
    start.start(0);
    bool guarded = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        guarded = true;
        SignalThisThread(SIGTERM);
    });
    guard.start(kSupervisorGuardMs);
    QElapsedTimer took;
    took.start();
    run.status = supervisor.Run();
    run.tookMs = took.elapsed();
    EXPECT_FALSE(guarded) << "the supervisor did not end by itself";
    return run;
}

TEST(SlotSupervisor, StationEndedByItsOperatorIsNotStartedAgain)
{
    TempWorkDir dir;
    const SupervisedRun run = Supervise(StandIn(dir.Path(), "exit 0"), {1, 2});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Starts(dir.Path(), 1), 1);
    EXPECT_EQ(Starts(dir.Path(), 2), 1);
    EXPECT_TRUE(run.boxes.empty());
}

TEST(SlotSupervisor, FailingStationIsStartedAgainFiveTimesThenABoxNamesSlotAndReason)
{
    TempWorkDir dir;
    // Slot 2 fails at every start; slot 5 fails once, then its operator ends it.
    const std::string body = "[ \"$2\" = 5 ] && [ -e \"$(dirname \"$0\")/failed-5\" ] && exit 0\n"
                             "[ \"$2\" = 5 ] && touch \"$(dirname \"$0\")/failed-5\"\n"
                             "exit 3";
    const SupervisedRun run = Supervise(StandIn(dir.Path(), body), {2, 5});
    EXPECT_EQ(Starts(dir.Path(), 2), 1 + RestartBudget::kMostRestarts);
    EXPECT_EQ(Starts(dir.Path(), 5), 2);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_NE(run.boxes[0].find("slot 2 ended with status 3"), std::string::npos) << run.boxes[0];
    EXPECT_EQ(run.boxes[0].find("slot 5"), std::string::npos) << run.boxes[0];
    // Each restart waits its delay.
    EXPECT_GE(run.tookMs, RestartBudget::kMostRestarts * RestartBudget::kRestartDelay.count());
    EXPECT_EQ(run.status, 1);
}

TEST(SlotSupervisor, SignalIsPassedOnAndNoStationIsStartedAgain)
{
    TempWorkDir dir;
    const SupervisedRun run =
        Supervise(StandIn(dir.Path(), "exec sleep 30"), {1, 3}, [&] {
            // Once both stand-ins have noted their start, the launcher is told to end.
            QElapsedTimer waited;
            waited.start();
            while ((Starts(dir.Path(), 1) < 1 || Starts(dir.Path(), 3) < 1) && waited.elapsed() < 10000)
                std::this_thread::sleep_for(kPollStep);
            SignalThisThread(SIGTERM);
        });
    EXPECT_EQ(Starts(dir.Path(), 1), 1);
    EXPECT_EQ(Starts(dir.Path(), 3), 1);
    EXPECT_LT(run.tookMs, 10000);
    EXPECT_TRUE(run.boxes.empty());
}

// ---- the real launcher and its real stations

// The stations (children) of `launcher`, by slot, from /proc.
std::map<int, pid_t> StationsOf(pid_t launcher)
{
    std::map<int, pid_t> stations;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = ReadFileText(entry.path() / "stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) != 2 || parent != launcher ||
            state == 'Z')
            continue;
        std::string cmdline = ReadFileText(entry.path() / "cmdline");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        const size_t slot = cmdline.find(" --slot ");
        if (slot != std::string::npos)
            stations[std::atoi(cmdline.c_str() + slot + 8)] = std::stoi(name);
    }
    return stations;
}

template <typename Condition>
bool WaitFor(std::chrono::milliseconds limit, Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

// This process adopts what its children leave behind, so that an orphaned
// station can be waited for and seen gone.
class RealLauncher : public testing::Test {
protected:
    void SetUp() override
    {
        prctl(PR_SET_CHILD_SUBREAPER, 1);
        std::filesystem::copy_file(EXAMPLE_PROFILE_PATH, dir_.Path() / "workstation.ini");
    }
    void TearDown() override
    {
        for (const pid_t pid : strays_) {
            if (kill(pid, SIGKILL) == 0)
                waitpid(pid, nullptr, 0);
        }
        prctl(PR_SET_CHILD_SUBREAPER, 0);
    }

    // rurizuda --slots over three ports that have no unit.
    pid_t StartLauncher()
    {
        std::vector<std::string> args {STATION_PROGRAM, "--slots", "--dir", dir_.Path().string()};
        for (int slot = 1; slot <= kSlots; ++slot)
            args.insert(args.end(), {"--port", (dir_.Path() / ("no-unit-" + std::to_string(slot))).string()});
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        strays_.insert(pid);
        return pid;
    }

    std::map<int, pid_t> AllStations(pid_t launcher)
    {
        std::map<int, pid_t> stations;
        WaitFor(kStationsStartWithin, [&] {
            stations = StationsOf(launcher);
            return static_cast<int>(stations.size()) == kSlots;
        });
        for (const auto& [slot, pid] : stations)
            strays_.insert(pid);
        return stations;
    }

    static constexpr int kSlots = 3;
    TempWorkDir dir_;
    std::set<pid_t> strays_;
};

TEST_F(RealLauncher, KilledStationIsBackWithinTwoSecondsAndTheOthersAreUntouched)
{
    const pid_t launcher = StartLauncher();
    const std::map<int, pid_t> before = AllStations(launcher);
    ASSERT_EQ(static_cast<int>(before.size()), kSlots) << "the launcher did not start every slot";
    kill(before.at(2), SIGKILL);
    std::map<int, pid_t> after;
    const bool back = WaitFor(kRestartedWithin, [&] {
        after = StationsOf(launcher);
        return after.count(2) && after.at(2) != before.at(2);
    });
    EXPECT_TRUE(back) << "slot 2 was not started again within 2 s";
    for (const auto& [slot, pid] : after)
        strays_.insert(pid);
    EXPECT_EQ(after.at(1), before.at(1));
    EXPECT_EQ(after.at(3), before.at(3));
}

TEST_F(RealLauncher, EveryStationEndsWithItsLauncher)
{
    const pid_t launcher = StartLauncher();
    const std::map<int, pid_t> stations = AllStations(launcher);
    ASSERT_EQ(static_cast<int>(stations.size()), kSlots) << "the launcher did not start every slot";
    kill(launcher, SIGKILL);
    waitpid(launcher, nullptr, 0);
    // The orphans come to this process: each is gone once it can be waited for.
    std::set<pid_t> running;
    for (const auto& [slot, pid] : stations)
        running.insert(pid);
    WaitFor(kGoneWithin, [&] {
        for (auto it = running.begin(); it != running.end();)
            it = waitpid(*it, nullptr, WNOHANG) == *it ? running.erase(it) : std::next(it);
        return running.empty();
    });
    for (const auto& [slot, pid] : stations)
        EXPECT_EQ(running.count(pid), 0u) << "the station of slot " << slot << " outlived its launcher";
}

}  // namespace
