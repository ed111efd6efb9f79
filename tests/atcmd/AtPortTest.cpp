// Opening and closing the AT port, and the failure entries it writes.
#include <fstream>
#include <regex>
#include <set>

#include "tests/atcmd/AtTestSupport.h"

namespace {

using Events = std::vector<std::string>;

class AtPortTest : public testing::Test {
protected:
    void TearDown() override { AtPort = 0; }
    LogCapture log;
    VirtualLink link;
};

TEST_F(AtPortTest, OpenWaitsAroundTheOpen)
{
    EXPECT_EQ(AtOpen("/dev/ttyACM0"), 1);
    EXPECT_NE(AtPort, 0);
    EXPECT_EQ(link.clock.events, (Events {"sleep 50", "open /dev/ttyACM0 115200", "sleep 91"}));
    EXPECT_EQ(log.Entries(), 0);
}

TEST_F(AtPortTest, OpenClosesAnOpenPortFirstWithoutDelays)
{
    ASSERT_EQ(AtOpen("/dev/ttyACM0"), 1);
    link.clock.events.clear();
    EXPECT_EQ(AtOpen("/dev/ttyACM1"), 1);
    EXPECT_EQ(link.clock.events, (Events {"close", "sleep 50", "open /dev/ttyACM1 115200", "sleep 91"}));
}

TEST_F(AtPortTest, CloseWaitsAroundTheClose)
{
    ASSERT_EQ(AtOpen("/dev/ttyACM0"), 1);
    link.clock.events.clear();
    EXPECT_EQ(AtClose(), 1);
    EXPECT_EQ(AtPort, 0);
    EXPECT_EQ(link.clock.events, (Events {"sleep 50", "close", "sleep 91"}));
}

TEST_F(AtPortTest, ElevenFailedOpensLeaveNoPortAndAnEntryEach)
{
    link.serial.FailOpen(true);
    for (int attempt = 0; attempt < 11; ++attempt)
        EXPECT_EQ(AtOpen("/dev/ttyACM0"), 0);
    EXPECT_EQ(AtPort, 0);
    EXPECT_EQ(log.Entries(), 11);
    link.clock.events.clear();
    EXPECT_EQ(AtClose(), 1);
    EXPECT_TRUE(link.clock.events.empty());
    EXPECT_EQ(link.serial.closes, 0);
}

TEST_F(AtPortTest, FailedOpenAfterAnOpenPortLeavesNone)
{
    ASSERT_EQ(AtOpen("/dev/ttyACM0"), 1);
    link.serial.FailOpen(true);
    EXPECT_EQ(AtOpen("/dev/ttyACM0"), 0);
    EXPECT_EQ(AtPort, 0);
    EXPECT_EQ(link.serial.closes, 1);
}

// The text of line `number` of the command module's source.
std::string SourceLine(int number)
{
    std::ifstream source(ATCMD_SOURCE);
    std::string text;
    for (int i = 0; i < number && std::getline(source, text); ++i) {
    }
    return text;
}

// The line number a failure entry names in the command module.
int EntryLine(const std::string& entry)
{
    std::smatch m;
    if (!std::regex_match(entry, m, std::regex(R"(FILE:(.*atcmd/Atcmd\.cpp),LINE:(\d+))")))
        return 0;
    return std::stoi(m[2]);
}

// A failure entry names this module's source file and a line of it that
// really writes a failure entry.
TEST_F(AtPortTest, FailureEntryNamesARealLineOfTheCommandModule)
{
    link.serial.FailOpen(true);
    ASSERT_EQ(AtOpen("/dev/ttyACM0"), 0);
    const auto lines = log.FailureLines();
    ASSERT_EQ(lines.size(), 1u);
    const int line = EntryLine(lines[0]);
    ASSERT_GT(line, 0) << lines[0];
    EXPECT_NE(SourceLine(line).find("LogFailPoint(__FILE__, __LINE__)"), std::string::npos) << line;
}

// Each command's failures name a line of that command, so the log tells
// which command gave up.
TEST_F(AtPortTest, DifferentCommandsThatTimeOutNameDifferentLines)
{
    ASSERT_EQ(AtOpen("/dev/ttyACM0"), 1);
    char value[kSsidMax + 1] = {};
    EXPECT_EQ(AtReadImei(value), 0);
    EXPECT_EQ(AtReadMac(value), 0);
    EXPECT_EQ(AtWriteImei("867400012345678"), 0);
    EXPECT_EQ(AtWriteSn("RZ26A0145871"), 0);
    const auto lines = log.FailureLines();
    ASSERT_EQ(lines.size(), 4u);
    std::set<int> named;
    for (const auto& entry : lines) {
        const int line = EntryLine(entry);
        ASSERT_GT(line, 0) << entry;
        named.insert(line);
    }
    EXPECT_EQ(named.size(), 4u);
    const char* commands[] = {"AtReadImei", "AtReadMac", "AtWriteImei", "AtWriteSn"};
    for (size_t i = 0; i < lines.size(); ++i) {
        // The named line lies in the body of the command that failed.
        int line = EntryLine(lines[i]);
        while (line > 0 && SourceLine(line).rfind("int At", 0) != 0)
            --line;
        EXPECT_EQ(SourceLine(line).find(std::string("int ") + commands[i] + "("), 0u) << lines[i];
    }
}

}  // namespace
