// The helpers that run programs for tests: every wait on a program ends,
// so a program that hangs fails its test in seconds, never at the time-out.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include "tests/support/ChildProcess.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Far below kProgramDeadline and kChildEndWait, so each case shows that
// its wait was ended by the helper, not by the program.
constexpr milliseconds kShortDeadline {300};
constexpr auto kWithin = std::chrono::seconds(3);

TEST(RunProgram, AProgramIsRunToItsEndOrKilledAtItsDeadline)
{
    const struct {
        const char* name;
        std::vector<std::string> argv;
        int status;
        std::string out;
        bool timedOut;
    } cases[] = {
        {"ends by itself", {"/bin/sh", "-c", "echo stored"}, 0, "stored\n", false},
        {"ends with a status", {"/bin/sh", "-c", "echo refused; exit 3"}, 3, "refused\n", false},
        {"never ends", {"/bin/sh", "-c", "echo waiting; exec sleep 60"}, -1, "waiting\n", true},
        {"closes its output and goes on", {"/bin/sh", "-c", "exec >&-; exec sleep 60"}, -1, "", true},
    };
    for (const auto& c : cases) {
        const auto started = Clock::now();
        ProgramRun run;
        if (c.timedOut)
            EXPECT_NONFATAL_FAILURE(run = RunProgram(c.argv, kShortDeadline), "did not end within 300 ms");
        else
            run = RunProgram(c.argv, kShortDeadline * 10);
        EXPECT_LT(Clock::now() - started, kWithin) << c.name;
        EXPECT_EQ(run.status, c.status) << c.name;
        EXPECT_EQ(run.out, c.out) << c.name;
        EXPECT_EQ(run.timedOut, c.timedOut) << c.name;
    }
}

TEST(ChildProcess, AProgramThatIgnoresTheSignalIsKilledAfterAWhile)
{
    ChildProcess child({"/bin/sh", "-c", "trap '' TERM; echo ready; exec sleep 60"});
    ASSERT_EQ(child.ReadLine(5000), "ready");
    const auto started = Clock::now();
    child.Kill(SIGTERM);
    EXPECT_LT(Clock::now() - started, kChildEndWait + kWithin);
    EXPECT_GE(Clock::now() - started, kChildEndWait - milliseconds(100)) << "the program was given its time to end";
}

}  // namespace
