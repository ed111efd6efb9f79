// REFRESH COM's probe: which nodes it tries and the order it lists them in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "discovery/PortProbe.h"
#include "tests/support/PseudoTerminal.h"
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

// The probe must not touch another program's port: its settings and the
// bytes waiting on it survive.
TEST(DevPortProbe, LeavesAPortsSettingsAndPendingBytesAlone)
{
    PseudoTerminal pty;
    const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios before {};
    ASSERT_EQ(tcgetattr(fd, &before), 0);
    cfsetispeed(&before, B9600);
    cfsetospeed(&before, B9600);
    before.c_cc[VTIME] = 7;
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(fd, &before), 0);
    pty.Send("PENDING\r\n");
    ASSERT_TRUE(pty.WaitQueued(fd, 9, 2000));

    TempWorkDir dir;
    std::filesystem::create_symlink(pty.SlavePath(), dir.Path() / "ttyUSB0");
    DevPortProbe probe(dir.Path().string());
    EXPECT_EQ(probe.OpenablePorts(), (std::vector<std::string> {"ttyUSB0"}));

    termios after {};
    ASSERT_EQ(tcgetattr(fd, &after), 0);
    EXPECT_EQ(cfgetispeed(&after), B9600);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_cc[VTIME], 7);
    int queued = 0;
    ASSERT_EQ(ioctl(fd, FIONREAD, &queued), 0);
    EXPECT_EQ(queued, 9);
    ::close(fd);
}

TEST(DevPortProbe, MissingDirectoryGivesNoPorts)
{
    DevPortProbe probe("/nonexistent-device-directory");
    EXPECT_TRUE(probe.OpenablePorts().empty());
}

}  // namespace
