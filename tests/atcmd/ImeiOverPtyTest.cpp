// The real serial layer against the unit simulator program.
#include <gtest/gtest.h>

#include "atcmd/Atcmd.h"
#include "link/AtPort.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

TEST(OverPseudoTerminal, ReadImeiFromTheSimulatorProgram)
{
    LogCapture log;
    ChildProcess simulator({UNIT_SIM_PROGRAM, "--imei", "867400055555555"});
    const std::string port = simulator.ReadLine(5000);
    ASSERT_FALSE(port.empty());
    ASSERT_EQ(AtOpen(port.c_str()), 1);
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, "867400055555555");
    EXPECT_EQ(AtClose(), 1);
    EXPECT_EQ(log.Entries(), 0);
}

}  // namespace
