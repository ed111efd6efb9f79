// Opening and closing the AT port, and the failure entries it writes.
#include <fstream>
#include <regex>

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

// A failure entry names this module's source file and a line of it that
// really writes a failure entry.
TEST_F(AtPortTest, FailureEntryNamesARealLineOfTheCommandModule)
{
    link.serial.FailOpen(true);
    ASSERT_EQ(AtOpen("/dev/ttyACM0"), 0);
    const auto lines = log.FailureLines();
    ASSERT_EQ(lines.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, std::regex(R"(FILE:(.*Atcmd\.cpp),LINE:(\d+))"))) << lines[0];
    const int line = std::stoi(m[2]);

    std::ifstream source(ATCMD_SOURCE);
    ASSERT_TRUE(source) << ATCMD_SOURCE;
    std::string text;
    for (int i = 0; i < line && std::getline(source, text); ++i) {
    }
    EXPECT_NE(text.find("LogFailPoint(__FILE__, __LINE__)"), std::string::npos) << "line " << line << ": " << text;
}

}  // namespace
