// The termios backend over a real pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include <fstream>

#include <sys/stat.h>

#include "link/SerialPort.h"
#include "link/Trace.h"
#include "tests/support/PseudoTerminal.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kBaud = 115200;

class SerialPty : public testing::Test {
protected:
    void SetUp() override
    {
        handle = SerialOpen(pty.SlavePath().c_str(), kBaud);
        ASSERT_NE(handle, kInvalidSerialHandle);
        ASSERT_NE(handle, 0);
    }
    void TearDown() override
    {
        if (handle != kInvalidSerialHandle)
            SerialClose(handle);
    }

    PseudoTerminal pty;
    SerialHandle handle = kInvalidSerialHandle;
};

TEST_F(SerialPty, ReadWithNothingQueuedGivesUpAfterAboutTwoHundredMs)
{
    unsigned char buffer[16];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(SerialRead(handle, buffer, sizeof buffer), 0);
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_GE(waited.count(), 150);
    EXPECT_LT(waited.count(), 1000);
}

TEST_F(SerialPty, PollReturnsAtMost199BytesAndTheRestNextTime)
{
    pty.Send(std::string(300, 'z'));
    ASSERT_TRUE(pty.WaitQueued(handle, 300, 2000));
    unsigned char buffer[256] = {};
    ASSERT_EQ(ReceivePackage(handle, buffer), 1);
    EXPECT_EQ(buffer[0], 199);
    std::memset(buffer, 0, sizeof buffer);
    ASSERT_EQ(ReceivePackage(handle, buffer), 1);
    EXPECT_EQ(buffer[0], 101);
}

TEST_F(SerialPty, FramedPackageArrivesOnTheWire)
{
    const char payload[] = "*MRD_IMEI?";
    ASSERT_EQ(SendPackage(handle, reinterpret_cast<const unsigned char*>(payload), sizeof payload - 1, kPackageModeAt), 1);
    EXPECT_EQ(pty.Receive(14, 2000), "AT*MRD_IMEI?\r\n");
}

TEST_F(SerialPty, SecondOpenIsRefused)
{
    EXPECT_EQ(SerialOpen(pty.SlavePath().c_str(), kBaud), kInvalidSerialHandle);
}

TEST_F(SerialPty, PortCanBeOpenedAgainAfterClose)
{
    SerialClose(handle);
    handle = SerialOpen(pty.SlavePath().c_str(), kBaud);
    EXPECT_NE(handle, kInvalidSerialHandle);
}

TEST_F(SerialPty, PurgeDiscardsQueuedBytes)
{
    pty.Send("\r\nOK\r\n");
    ASSERT_TRUE(pty.WaitQueued(handle, 6, 2000));
    EXPECT_EQ(SerialPurge(handle), 1);
    unsigned char buffer[16];
    EXPECT_EQ(SerialRead(handle, buffer, sizeof buffer), 0);
}

TEST(SerialOpen, MissingDeviceGivesTheInvalidHandle)
{
    EXPECT_EQ(SerialOpen("/dev/ttyNO_SUCH_PORT", kBaud), kInvalidSerialHandle);
}

// A read on a path that is not a terminal could block for ever (no read
// time-out can be set on it), so such a path is refused with a reason.
TEST(SerialOpen, PathsThatAreNotTerminalsAreRefusedWithAReason)
{
    TempWorkDir dir;
    const std::string fifo = (dir.Path() / "fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string file = (dir.Path() / "file").string();
    std::ofstream(file) << "AT\r\n";
    for (const std::string& path : {fifo, file, std::string("/dev/null")}) {
        TraceRecorder traces;
        TraceSink* previous = InstallTraceSink(&traces);
        EXPECT_EQ(SerialOpen(path.c_str(), kBaud), kInvalidSerialHandle) << path;
        InstallTraceSink(previous);
        EXPECT_EQ(traces.texts, "not a serial port: " + path + "\n");
    }
}

}  // namespace
