// The serial layer's framing and polling, in virtual time.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/SerialPort.h"
#include "tests/support/VirtualTime.h"

namespace {

constexpr SerialHandle kPort = ScriptedSerial::kHandle;

int Send(const std::string& payload, int mode)
{
    return SendPackage(kPort, reinterpret_cast<const unsigned char*>(payload.data()),
                       static_cast<unsigned char>(payload.size()), mode);
}

TEST(SendPackage, FramesAnAtCommandLine)
{
    VirtualLink link;
    EXPECT_EQ(Send("+RESET", kPackageModeAt), 1);
    ASSERT_EQ(link.serial.writes.size(), 1u);
    EXPECT_EQ(link.serial.writes[0], "AT+RESET\r\n");
    EXPECT_EQ(link.serial.writes[0].size(), 10u);
}

TEST(SendPackage, EmptyPayloadSendsBareAt)
{
    VirtualLink link;
    EXPECT_EQ(SendPackage(kPort, nullptr, 0, kPackageModeAt), 1);
    EXPECT_EQ(link.serial.writes.at(0), "AT\r\n");
}

TEST(SendPackage, LongestPayloadFitsTheFrame)
{
    VirtualLink link;
    const std::string payload(kMaxPackagePayload, 'x');
    EXPECT_EQ(Send(payload, kPackageModeAt), 1);
    EXPECT_EQ(link.serial.writes.at(0), "AT" + payload + "\r\n");
}

TEST(SendPackage, RawModeSendsThePayloadUnchanged)
{
    VirtualLink link;
    EXPECT_EQ(Send("AT+CESQ\r", kPackageModeRaw), 1);
    EXPECT_EQ(link.serial.writes.at(0), "AT+CESQ\r");
}

TEST(SendPackage, UnknownModeSendsNothing)
{
    VirtualLink link;
    EXPECT_EQ(Send("+RESET", 2), 0);
    EXPECT_TRUE(link.serial.writes.empty());
}

TEST(SendPackage, FailedWriteIsReported)
{
    VirtualLink link;
    link.serial.FailWrite(true);
    EXPECT_EQ(Send("+RESET", kPackageModeAt), 0);
}

TEST(ReceivePackage, DeliversCountAndBytes)
{
    VirtualLink link;
    link.serial.Polls(0, "\r\nOK\r\n");
    unsigned char buffer[256] = {};
    EXPECT_EQ(ReceivePackage(kPort, buffer), 1);
    EXPECT_EQ(buffer[0], 6);
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer + 1), "\r\nOK\r\n");
    EXPECT_EQ(link.Elapsed(), 0);
}

TEST(ReceivePackage, EmptyPollWaitsThenSleepsAndLeavesTheBufferAlone)
{
    VirtualLink link;
    link.serial.Silence(1);
    unsigned char buffer[256];
    std::memset(buffer, 'q', sizeof buffer);
    EXPECT_EQ(ReceivePackage(kPort, buffer), 0);
    for (unsigned char c : buffer)
        ASSERT_EQ(c, 'q');
    EXPECT_EQ(link.clock.events, (std::vector<std::string> {"read 0", "sleep 91"}));
    EXPECT_EQ(link.Elapsed(), 200 + 91);
}

TEST(ReceivePackage, TakesAtMost199BytesAPoll)
{
    VirtualLink link;
    link.serial.ArriveIn(0, std::string(300, 'a'));
    unsigned char buffer[256] = {};
    ASSERT_EQ(ReceivePackage(kPort, buffer), 1);
    EXPECT_EQ(buffer[0], 199);
    EXPECT_EQ(buffer[200], 0);  // nothing written behind the bytes
    std::memset(buffer, 0, sizeof buffer);
    ASSERT_EQ(ReceivePackage(kPort, buffer), 1);
    EXPECT_EQ(buffer[0], 101);
}

}  // namespace
