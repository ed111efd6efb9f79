// The transaction pattern, told on the IMEI query: phases, the shared poll
// counter, extraction limits and the failure reporting.
#include <cerrno>

#include "tests/atcmd/AtTestSupport.h"

namespace {

using Events = std::vector<std::string>;

constexpr const char* kImei = "867400012345678";

using ImeiQuery = OpenPort;

TEST_F(ImeiQuery, PrefixAndOkInOneChunkReturnAtOnceWithoutPurge)
{
    link.serial.Polls(0, Reply(std::string("*MRD_IMEI:") + kImei));
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, kImei);
    EXPECT_EQ(link.clock.events,
              (Events {"purge", "sleep 91", "write AT*MRD_IMEI?\\r\\n", "sleep 473", "read 35"}));
    EXPECT_EQ(log.Entries(), 0);
    EXPECT_EQ(link.traces.texts, "");
}

TEST_F(ImeiQuery, OkInALaterChunkEndsWithPurgeAndSleep)
{
    link.serial.Polls(0, std::string("\r\n*MRD_IMEI:") + kImei + "\r\n").Polls(2, "\r\nOK\r\n");
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, kImei);
    EXPECT_EQ(EventsFromFirstRead(),
              (Events {"read 29", "read 0", "sleep 91", "read 0", "sleep 91", "read 6", "purge", "sleep 91"}));
}

TEST_F(ImeiQuery, CounterIsSharedByBothPhases)
{
    link.serial.Polls(60, std::string("\r\n*MRD_IMEI:") + kImei + "\r\n").Silence(41);
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_EQ(link.serial.emptyReads, 101);
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout2!\n");
    EXPECT_EQ(log.Entries(), 1);
    // The value extracted before the time-out stays in the buffer.
    EXPECT_STREQ(imei, kImei);
}

TEST_F(ImeiQuery, HundredEmptyPollsAreStillTolerated)
{
    link.serial.Polls(100, Reply(std::string("*MRD_IMEI:") + kImei));
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
}

TEST_F(ImeiQuery, ReplySplitInsideThePrefixIsNotRecognised)
{
    link.serial.Polls(0, "\r\n*MRD_IM").Polls(0, std::string("EI:") + kImei + "\r\n\r\nOK\r\n").Silence(101);
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_EQ(link.serial.emptyReads, 101);
    EXPECT_EQ(link.traces.texts,
              "ERROR: ate ReceivePackage counter = 101  at = \n"
              "ERROR: ate item timeout1!\n");
    EXPECT_EQ(log.Entries(), 1);
    EXPECT_STREQ(imei, "");
    // 101 polls of 200 ms and 91 ms, after the 91 ms and 473 ms of the request.
    EXPECT_EQ(link.Elapsed(), 91 + 473 + 101 * (200 + 91));
}

// A port that keeps talking without ever answering is given up after the
// time its empty-poll limit lasts on a silent port, with the same reports.
TEST_F(ImeiQuery, ChatteringPortEndsAfterTheSilentLimitsTime)
{
    constexpr int64_t kChatterEveryMs = 150;
    for (int64_t at = kChatterEveryMs; at < 60000; at += kChatterEveryMs)
        link.serial.ArriveIn(at, "\r\n+CREG: 1\r\n");
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_EQ(link.serial.emptyReads, 0);
    EXPECT_EQ(link.traces.texts,
              "ERROR: ate ReceivePackage counter = 0  at = \r\n+CREG: 1\r\n\n"
              "ERROR: ate item timeout1!\n");
    EXPECT_EQ(log.Entries(), 1);
    const int64_t silentLimit = 91 + 473 + 101 * (200 + 91);
    EXPECT_GE(link.Elapsed(), silentLimit);
    EXPECT_LT(link.Elapsed(), silentLimit + kChatterEveryMs);
}

TEST_F(ImeiQuery, ChatterAfterTheAnswerEndsTheCompletionPhaseTheSameWay)
{
    link.serial.Polls(0, std::string("\r\n*MRD_IMEI:") + kImei + "\r\n");
    for (int64_t at = 1000; at < 60000; at += 100)
        link.serial.ArriveIn(at, "\r\n+CREG: 1\r\n");
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: ate item timeout2!\n");
    EXPECT_STREQ(imei, kImei);
    EXPECT_LT(link.Elapsed(), 91 + 473 + 101 * (200 + 91) + 100);
}

TEST_F(ImeiQuery, UnpluggedUnitIsTracedOnceAndKeepsTheTiming)
{
    link.serial.FailReads(EIO);
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_EQ(link.traces.texts,
              "ERROR: reading the port failed: Input/output error\n"
              "ERROR: ate ReceivePackage counter = 101  at = \n"
              "ERROR: ate item timeout1!\n");
    EXPECT_EQ(link.Elapsed(), 91 + 473 + 101 * 91);
    EXPECT_EQ(log.Entries(), 1);
}

TEST_F(ImeiQuery, ChunkWithOkButWithoutThePrefixIsDropped)
{
    link.serial.Polls(0, "\r\nOK\r\n").Polls(3, Reply(std::string("*MRD_IMEI:") + kImei));
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, kImei);
    EXPECT_EQ(link.serial.reads, 5);
}

TEST_F(ImeiQuery, ValueLongerThanItsMaximumIsCut)
{
    link.serial.Polls(0, Reply("*MRD_IMEI:12345678901234567890"));
    char imei[32] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, "12345678901234567");
}

TEST_F(ImeiQuery, CrLfEndsTheValueButALoneCrDoesNot)
{
    link.serial.Polls(0, Reply("*MRD_IMEI:12\r34"));
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, "12\r34");
}

TEST_F(ImeiQuery, ValueCutByTheChunkEndIsReturnedCut)
{
    link.serial.Polls(0, "\r\n*MRD_IMEI:86740").Polls(0, "0012345678\r\n\r\nOK\r\n");
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, "86740");
}

TEST_F(ImeiQuery, EchoedRequestIsNotTakenForTheAnswer)
{
    link.serial.Polls(0, "AT*MRD_IMEI?\r\r\n").Polls(0, Reply(std::string("*MRD_IMEI:") + kImei));
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 1);
    EXPECT_STREQ(imei, kImei);
}

TEST_F(ImeiQuery, FailedSendIsTracedAndLogged)
{
    link.serial.FailWrite(true);
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_EQ(link.traces.texts, "ERROR: sending ate item command!\n");
    EXPECT_EQ(log.Entries(), 1);
    EXPECT_EQ(link.serial.reads, 0);
}

TEST(NoPort, CommandFailsAtOnceWithOneEntryAndSendsNothing)
{
    LogCapture log;
    VirtualLink link;
    AtPort = 0;
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_TRUE(link.clock.events.empty());
    EXPECT_TRUE(link.serial.writes.empty());
    EXPECT_EQ(log.Entries(), 1);
    EXPECT_EQ(link.traces.texts, "");
}

TEST(NoPort, CommandAfterCloseFails)
{
    LogCapture log;
    VirtualLink link;
    ASSERT_EQ(AtOpen("/dev/ttyUNIT"), 1);
    ASSERT_EQ(AtClose(), 1);
    char imei[kImeiMax + 1] = {};
    EXPECT_EQ(AtReadImei(imei), 0);
    EXPECT_TRUE(link.serial.writes.empty());
    EXPECT_EQ(log.Entries(), 1);
}

}  // namespace
