// rurizuda-report watch as a program: it ends promptly on a signal at any
// moment, and two of them can keep one page.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "tests/support/TempDir.h"
#include "tests/tools/ReportFixture.h"
#include "tools/rurizuda-report/PageFile.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long the tests give a page to appear; far more than a page takes.
constexpr auto kPageDeadline = 20s;
// A stopped watch must be gone within this.
constexpr auto kStopLimit = 1s;
// How long the tests wait for a watch that did not stop, before killing it.
constexpr auto kEndDeadline = 10s;

// `rurizuda-report watch --every 1 --html page.html`, its standard error to
// `errors`; killed when the object goes.
class Watch {
public:
    explicit Watch(const std::string& errors)
    {
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, STDERR_FILENO);
            execl(RURIZUDA_REPORT_PROGRAM, RURIZUDA_REPORT_PROGRAM, "watch", "--every", "1", "--html", "page.html",
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        pidfd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    }
    ~Watch()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (pidfd_ >= 0)
            close(pidfd_);
    }

    void Signal(int signal) { kill(pid_, signal); }

    // The exit status once it ended within `limit`; nothing when it did not.
    std::optional<int> End(std::chrono::milliseconds limit)
    {
        pollfd ended {pidfd_, POLLIN, 0};
        if (poll(&ended, 1, static_cast<int>(limit.count())) != 1)
            return std::nullopt;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    int pidfd_ = -1;
};

bool WholePage(const std::string& page)
{
    return page.rfind("<!DOCTYPE html>", 0) == 0 && page.ends_with("</html>\n");
}

bool WaitForPage()
{
    const auto deadline = Clock::now() + kPageDeadline;
    while (!WholePage(ReadFileText("page.html"))) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// Files in the folder other than the result files, the page and the logs.
std::vector<std::string> LeftOver()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        const std::string name = entry.path().filename().string();
        if (name != "PASS.mdb" && name != "FAIL.mdb" && name != "page.html" && !name.ends_with(".err"))
            names.push_back(name);
    }
    return names;
}

// Another program holds PASS.mdb locked: the report's next period waits for
// it. A signal then must end watch within a second, the first page left whole.
TEST(ReportWatch, ASignalEndsWatchWithinASecondWhileAPeriodWaits)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        TempWorkDir dir;
        WriteResultDbs(dir.Path(), LineDayRows());
        Watch watch("watch.err");
        ASSERT_TRUE(WaitForPage()) << ReadFileText("watch.err");
        sqlite3* holder = nullptr;
        ASSERT_EQ(sqlite3_open("PASS.mdb", &holder), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        std::this_thread::sleep_for(1500ms);  // the next period has begun and waits for the lock
        const auto sent = Clock::now();
        watch.Signal(signal);
        const auto status = watch.End(kEndDeadline);
        const auto took = Clock::now() - sent;
        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
        ASSERT_TRUE(status) << "watch still runs " << kEndDeadline.count() << " s after the signal";
        EXPECT_EQ(*status, 0) << ReadFileText("watch.err");
        EXPECT_LT(took, kStopLimit) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
        EXPECT_TRUE(WholePage(ReadFileText("page.html")));
        EXPECT_EQ(LeftOver(), std::vector<std::string>{});
        EXPECT_EQ(ReadFileText("watch.err"), "");
    }
}

// Two writers of one page (two watch processes) each write under a name of
// their own: with a shared temporary name one would rename the other's file
// away and fail, or leave a page cut short.
TEST(ReportWatch, TwoWritersOfOnePageNeverShareATemporaryFile)
{
    constexpr int kWrites = 300;
    TempWorkDir dir;
    std::filesystem::create_directory("page.html.partial");  // what a shared name would be
    std::atomic<int> failed = 0;
    const auto writer = [&](char fill) {
        const std::string page = "<!DOCTYPE html>" + std::string(64 * 1024, fill) + "</html>\n";
        for (int i = 0; i < kWrites; ++i) {
            std::string error;
            failed += !WritePageFile("page.html", page, &error);
        }
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();
    EXPECT_EQ(failed, 0);
    const std::string page = ReadFileText("page.html");
    EXPECT_EQ(page.size(), 64 * 1024 + 23u);
    EXPECT_EQ(page.find_first_of(page[15] == 'a' ? "b" : "a"), std::string::npos) << "one writer's page, whole";
    std::filesystem::remove("page.html.partial");
    EXPECT_EQ(LeftOver(), std::vector<std::string>{});
}

}  // namespace
