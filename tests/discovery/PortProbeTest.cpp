// REFRESH COM's probe: which nodes it tries and the order it lists them in.
#include <gtest/gtest.h>

#include <fstream>

#include "discovery/PortProbe.h"
#include "tests/support/TempDir.h"

namespace {

TEST(DevPortProbe, ListsOpenablePortNodesInTextOrder)
{
    TempWorkDir dir;
    for (const char* name : {"ttyS2", "ttyS10", "ttyACM0", "ttyUSB0", "ttyS1", "tty0", "ttyS", "ttySx", "console"})
        std::ofstream(dir.Path() / name) << "";
    DevPortProbe probe(dir.Path().string());
    EXPECT_EQ(probe.OpenablePorts(), (std::vector<std::string> {"ttyACM0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB0"}));
}

TEST(DevPortProbe, MissingDirectoryGivesNoPorts)
{
    DevPortProbe probe("/nonexistent-device-directory");
    EXPECT_TRUE(probe.OpenablePorts().empty());
}

}  // namespace
