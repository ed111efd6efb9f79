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
}

TEST(CommandLine, TraceNamesTheWireTraceFolder)
{
    EXPECT_EQ(Parse({"--trace", "traces"}).options.wireTraceDir, "traces");
    EXPECT_EQ(Parse({"--trace=/var/log/rz"}).options.wireTraceDir, "/var/log/rz");
    EXPECT_EQ(Parse({}).options.wireTraceDir, "");
    EXPECT_NE(Parse({"--trace"}).error, "");
}

}  // namespace
