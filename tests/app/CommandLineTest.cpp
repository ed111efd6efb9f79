#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

CommandLine Parse(std::initializer_list<std::string> args)
{
    const std::vector<std::string> list(args);
    return ParseCommandLine(list);
}

TEST(CommandLine, PortAndScreenshotTakeTheNextArgumentOrAnEqualsValue)
{
    const CommandLine spaced = Parse({"--port", "/dev/pts/4", "--screenshot", "out.png"});
    EXPECT_EQ(spaced.error, "");
    EXPECT_EQ(spaced.options.fixedPort, "/dev/pts/4");
    EXPECT_EQ(spaced.screenshotPath, "out.png");

    const CommandLine joined = Parse({"--port=/dev/ttyUSB0", "--screenshot=a=b.png"});
    EXPECT_EQ(joined.options.fixedPort, "/dev/ttyUSB0");
    EXPECT_EQ(joined.screenshotPath, "a=b.png");
}

TEST(CommandLine, MissingValuesAndUnknownArgumentsAreUsageErrors)
{
    EXPECT_NE(Parse({"--port"}).error, "");
    EXPECT_NE(Parse({"--port="}).error, "");
    EXPECT_NE(Parse({"--screenshot", ""}).error, "");
    EXPECT_NE(Parse({"--portal", "x"}).error, "");
    EXPECT_NE(Parse({"ttyACM0"}).error, "");
    EXPECT_NE(Parse({"--help", "-x"}).error, "");
    EXPECT_NE(Parse({"--engineering=yes"}).error, "");
}

TEST(CommandLine, EngineeringIsASwitchOffByDefault)
{
    EXPECT_FALSE(Parse({"--port", "/dev/pts/4"}).options.engineering);
    const CommandLine line = Parse({"--engineering", "--port", "/dev/pts/4"});
    EXPECT_EQ(line.error, "");
    EXPECT_TRUE(line.options.engineering);
    EXPECT_EQ(line.options.fixedPort, "/dev/pts/4");
}

TEST(CommandLine, DirAndVersionUsage)
{
    EXPECT_NE(Parse({"--dir"}).error, "");
    EXPECT_NE(Parse({"--version=1"}).error, "");
}

TEST(CommandLine, DirTakesAValueAndVersionIsAFlag)
{
    const CommandLine line = Parse({"--dir", "/srv/line 3", "--version"});
    EXPECT_EQ(line.error, "");
    EXPECT_EQ(line.stationDir, "/srv/line 3");
    EXPECT_TRUE(line.version);
    EXPECT_EQ(Parse({"--dir=relative"}).stationDir, "relative");
    EXPECT_FALSE(Parse({"--dir=relative"}).version);
}

TEST(CommandLine, TraceNamesTheWireTraceFolder)
{
    EXPECT_EQ(Parse({"--trace", "traces"}).options.wireTraceDir, "traces");
    EXPECT_EQ(Parse({"--trace=/var/log/rz"}).options.wireTraceDir, "/var/log/rz");
    EXPECT_EQ(Parse({}).options.wireTraceDir, "");
    EXPECT_NE(Parse({"--trace"}).error, "");
}

TEST(CommandLine, SlotTakesANumberFromOneToEight)
{
    EXPECT_EQ(Parse({}).options.slot, 0);
    EXPECT_EQ(Parse({"--slot", "1"}).options.slot, 1);
    EXPECT_EQ(Parse({"--slot=8", "--port", "/dev/pts/3"}).options.slot, 8);
    for (const char* bad : {"0", "9", "-1", "2x", "", " 3", "three"})
        EXPECT_EQ(Parse({"--slot", bad}).error.rfind("--slot needs", 0), 0u) << bad;
}

TEST(CommandLine, SlotsLauncherTakesAPortPerSlotButNoSlot)
{
    const CommandLine line = Parse({"--slots", "--port", "/dev/pts/1", "--port=/dev/pts/2"});
    EXPECT_EQ(line.error, "");
    EXPECT_TRUE(line.startSlots);
    EXPECT_EQ(line.ports, (std::vector<std::string> {"/dev/pts/1", "/dev/pts/2"}));
    EXPECT_NE(Parse({"--slots", "--slot", "2"}).error, "");
    EXPECT_NE(Parse({"--slots", "--port=1", "--port=2", "--port=3", "--port=4", "--port=5", "--port=6", "--port=7",
                     "--port=8", "--port=9"})
                  .error,
              "");
}

TEST(CommandLine, ListUnitsIsASwitchAtAPlaceAndScaleAFactor)
{
    EXPECT_TRUE(Parse({"--list-units"}).listUnits);
    EXPECT_FALSE(Parse({}).windowAt);
    const CommandLine line = Parse({"--at", "960,-4"});
    ASSERT_TRUE(line.windowAt);
    EXPECT_EQ(line.windowAt->x, 960);
    EXPECT_EQ(line.windowAt->y, -4);
    for (const char* bad : {"960", "1,2,3", "a,b", ",5"})
        EXPECT_NE(Parse({"--at", bad}).error, "") << bad;
    EXPECT_DOUBLE_EQ(Parse({}).windowScale, 1.0);
    EXPECT_DOUBLE_EQ(Parse({"--scale", "0.69"}).windowScale, 0.69);
    for (const char* bad : {"0", "0.05", "1.5", "x", "0.5x", "nan"})
        EXPECT_NE(Parse({"--scale", bad}).error, "") << bad;
}

}  // namespace
