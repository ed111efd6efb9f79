// The station log: entry format, appending, flushing and the unopenable file.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "link/StationLog.h"
#include "link/Trace.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(StationLog, MissingFileIsCreatedAndOpeningWritesNothing)
{
    TempWorkDir dir;
    ASSERT_EQ(LogOpen(), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "writelog.txt"));
    LogClose();
    EXPECT_EQ(ReadFileText(dir.Path() / "writelog.txt"), "");
}

TEST(StationLog, FailureEntryIsThreeLinesAndReachesTheDiskAtOnce)
{
    TempWorkDir dir;
    ASSERT_EQ(LogOpen(), 1);
    LogFailPoint("/src/atcmd/Atcmd.cpp", 123);
    // Read while the log is still open: the entry must already be on disk.
    const std::string text = ReadFileText(dir.Path() / "writelog.txt");
    LogClose();

    const auto lines = Lines(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(TIME:(Sun|Mon|Tue|Wed|Thu|Fri|Sat) )"
                                                      R"((Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                                                      R"([ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4})")))
        << lines[0];
    EXPECT_EQ(lines[0].size(), 5u + 24u);
    EXPECT_EQ(lines[1], "FILE:/src/atcmd/Atcmd.cpp,LINE:123");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(StationLog, SecondRunAppends)
{
    TempWorkDir dir;
    ASSERT_EQ(LogOpen(), 1);
    LogFailPoint("Atcmd.cpp", 1);
    LogClose();
    ASSERT_EQ(LogOpen(), 1);
    LogFailPoint("Atcmd.cpp", 2);
    LogClose();
    const auto lines = Lines(ReadFileText(dir.Path() / "writelog.txt"));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "FILE:Atcmd.cpp,LINE:1");
    EXPECT_EQ(lines[4], "FILE:Atcmd.cpp,LINE:2");
}

TEST(StationLog, TracesNeverReachTheLog)
{
    TempWorkDir dir;
    TraceRecorder recorder;
    TraceSink* previous = InstallTraceSink(&recorder);
    ASSERT_EQ(LogOpen(), 1);
    TraceOut("ERROR: ate item timeout1!\n");
    LogClose();
    InstallTraceSink(previous);
    EXPECT_EQ(recorder.texts, "ERROR: ate item timeout1!\n");
    EXPECT_EQ(ReadFileText(dir.Path() / "writelog.txt"), "");
}

TEST(StationLog, EntriesWithoutAnOpenLogAreDropped)
{
    TempWorkDir dir;
    LogFailPoint("Atcmd.cpp", 9);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "writelog.txt"));
}

TEST(StationLogDeathTest, UnopenableLogEndsTheProcessWithAReason)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root can write into a read-only directory";
    TempWorkDir dir;
    ASSERT_EQ(chmod(dir.Path().c_str(), 0500), 0);
    EXPECT_EXIT(LogOpen(), testing::ExitedWithCode(1), "cannot open the station log .*writelog.txt");
    chmod(dir.Path().c_str(), 0700);
}

TEST(StationLogDeathTest, LogThatIsADirectoryEndsTheProcessWithAReason)
{
    TempWorkDir dir;
    std::filesystem::create_directory(dir.Path() / "writelog.txt");
    EXPECT_EXIT(LogOpen(), testing::ExitedWithCode(1), "cannot open the station log .*writelog.txt: Is a directory");
}

}  // namespace
