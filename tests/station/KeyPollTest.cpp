// The key poll: each tick of timer 1 listens for the unit's key report.
#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

// Far beyond any listen: the unit keeps quiet until a test says otherwise.
constexpr int kNeverMs = 100000000;
const char* const kPressed = "\r\n+FUNC KEY:0\r\n";

class KeyPoll : public StationFixture {
protected:
    void SetUp() override
    {
        Start();
        unit.State().keyReportDelayMs = kNeverMs;
        station->KeyJudged = 0;
        station->OnKeyTest();
        ASSERT_EQ(window.timers.count(ctl::kKeyPollTimer), 1u);
        window.events.clear();
    }

    void Tick() { station->OnTimer(ctl::kKeyPollTimer); }
    bool Polling() const { return window.timers.count(ctl::kKeyPollTimer) == 1; }
};

TEST_F(KeyPoll, TickWithoutReportChangesNothing)
{
    Tick();
    EXPECT_TRUE(window.events.empty());
    EXPECT_TRUE(Polling());
    EXPECT_EQ(station->KeyJudged, 0);
    EXPECT_EQ(station->unit.keyResult, "");
    EXPECT_EQ(station->FailureMask, 0u);
}

TEST_F(KeyPoll, PassReportEndsThePollWithSuccess)
{
    link.serial.ArriveIn(500, kPressed);
    Tick();
    EXPECT_FALSE(Polling());
    EXPECT_EQ(window.Text(ctl::kKeyBox), "PASS");
    EXPECT_EQ(StatusEvents(window), Report(ctl::kMainLamp, "success", "key test successfully!"));
    EXPECT_EQ(station->KeyJudged, 1);
    EXPECT_EQ(station->FailureMask, 0u);
}

TEST_F(KeyPoll, FailReportEndsThePollWithTheKeyBit)
{
    link.serial.ArriveIn(500, "\r\n+FUNC KEY:2\r\n");
    Tick();
    EXPECT_FALSE(Polling());
    EXPECT_EQ(window.Text(ctl::kKeyBox), "FAIL");
    EXPECT_EQ(StatusEvents(window), Report(ctl::kMainLamp, "fail", "Failed to key test!"));
    EXPECT_EQ(station->KeyJudged, 1);
    EXPECT_EQ(station->FailureMask, failbit::kKey);
}

TEST_F(KeyPoll, ReportOfTheSimulatedUnitArrivesOnALaterTick)
{
    unit.State().keyReportDelayMs = 3000;
    station->OnKeyTest();
    int ticks = 0;
    while (Polling() && ticks < 5) {
        Tick();
        ++ticks;
    }
    EXPECT_FALSE(Polling());
    EXPECT_EQ(station->unit.keyResult, "PASS");
}

TEST_F(KeyPoll, ListensAgainAfterAnotherOperationClosedThePort)
{
    station->OnReadImei();
    ASSERT_EQ(AtPort, 0);
    link.serial.ArriveIn(500, kPressed);
    Tick();
    EXPECT_NE(AtPort, 0);
    EXPECT_EQ(station->unit.keyResult, "PASS");
    EXPECT_EQ(station->KeyJudged, 1);
}

TEST_F(KeyPoll, DoesNotOpenThePortOfAnOperationStillRunning)
{
    station->DisconnectTarget();
    station->OperationBusy = 1;
    const int opens = link.serial.opens;
    Tick();
    EXPECT_EQ(link.serial.opens, opens);
    EXPECT_EQ(AtPort, 0);
    EXPECT_TRUE(Polling());
}

TEST_F(KeyPoll, WithoutListedPortTheTickStaysQuiet)
{
    station->DisconnectTarget();
    window.ClearPorts();
    Tick();
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_TRUE(Polling());
}

}  // namespace
