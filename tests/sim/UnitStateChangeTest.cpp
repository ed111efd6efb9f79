// How requests change what the unit later reports, and what it records.

#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

using test::Ask;
using test::Immediate;

constexpr const char* kOk = "\r\nOK\r\n";
constexpr const char* kNotAllowed = "\r\n+CME ERROR: 3\r\n";
constexpr const char* kBadValue = "\r\n+CME ERROR: 50\r\n";

class TwoStepWrite : public ::testing::Test {
protected:
    UnitSimulator unit {{}, Immediate()};
};

TEST_F(TwoStepWrite, ImeiWriteChangesTheImeiRead)
{
    EXPECT_EQ(Ask(unit, "*MRD_IMEI=D"), kOk);
    EXPECT_EQ(Ask(unit, "*MRD_IMEI=W,,,356938035643809"), kOk);
    EXPECT_EQ(Ask(unit, "*MRD_IMEI?"), "\r\n*MRD_IMEI:356938035643809\r\n\r\nOK\r\n");
}

TEST_F(TwoStepWrite, MacWriteIsReadBackWithColons)
{
    Ask(unit, "+KAVOMAC=D");
    EXPECT_EQ(Ask(unit, "+KAVOMAC=W,001A2B3C4D5E"), kOk);
    EXPECT_EQ(Ask(unit, "+KAVOMAC?"), "\r\n+KAVOMAC: 00:1a:2b:3c:4d:5e\r\n\r\nOK\r\n");
    unit.State().macUpperCase = true;
    EXPECT_EQ(Ask(unit, "+KAVOMAC?"), "\r\n+KAVOMAC: 00:1A:2B:3C:4D:5E\r\n\r\nOK\r\n");
}

TEST_F(TwoStepWrite, MacWriteRefusesAnythingButTwelveHexDigits)
{
    for (const char* value : {"001A2B3C4D5", "001A2B3C4D5E6", "001A2B3C4D5G", "00:1A:2B:3C:4D:5E"}) {
        Ask(unit, "+KAVOMAC=D");
        EXPECT_EQ(Ask(unit, std::string("+KAVOMAC=W,") + value), kBadValue) << value;
    }
    EXPECT_EQ(unit.State().mac, "a4:5e:60:c1:22:9f");
}

TEST_F(TwoStepWrite, SnWriteChangesTheSnRead)
{
    Ask(unit, "*MRD_SN=D");
    EXPECT_EQ(Ask(unit, "*MRD_SN=W,,,RZ99Z0000001"), kOk);
    EXPECT_EQ(Ask(unit, "*MRD_SN?"), "\r\n*MRD_SN:RZ99Z0000001\r\n\r\nOK\r\n");
}

TEST_F(TwoStepWrite, UsbModeWriteChangesTheModeRead)
{
    Ask(unit, "+kavousbmode=d");
    EXPECT_EQ(Ask(unit, "+kavousbmode=w,5"), kOk);
    EXPECT_EQ(Ask(unit, "+kavousbmode?"), "\r\n+KAVOUSBMODE:5\r\n\r\nOK\r\n");
}

TEST_F(TwoStepWrite, UsbModeOutsideTheSupportedOnesIsRefused)
{
    for (const char* mode : {"1", "3", "55", ""}) {
        Ask(unit, "+kavousbmode=d");
        EXPECT_EQ(Ask(unit, std::string("+kavousbmode=w,") + mode), kBadValue) << mode;
    }
    EXPECT_EQ(unit.State().usbModeDigit, '0');
}

TEST_F(TwoStepWrite, SecondStepWithoutFirstIsRefused)
{
    EXPECT_EQ(Ask(unit, "*MRD_IMEI=W,,,356938035643809"), kNotAllowed);
    EXPECT_EQ(Ask(unit, "+KAVOMAC=W,001A2B3C4D5E"), kNotAllowed);
    EXPECT_EQ(Ask(unit, "*MRD_SN=W,,,RZ99Z0000001"), kNotAllowed);
    EXPECT_EQ(Ask(unit, "+kavousbmode=w,2"), kNotAllowed);
    EXPECT_EQ(unit.State().imei, "867400012345678");
    EXPECT_EQ(unit.State().sn, "RZ26A0145871");
}

TEST_F(TwoStepWrite, FirstStepOfAnotherWriteDoesNotCount)
{
    Ask(unit, "*MRD_SN=D");
    EXPECT_EQ(Ask(unit, "*MRD_IMEI=W,,,356938035643809"), kNotAllowed);
}

TEST_F(TwoStepWrite, FirstStepMustComeRightBeforeTheSecond)
{
    Ask(unit, "*MRD_IMEI=D");
    Ask(unit, "*MRD_IMEI?");
    EXPECT_EQ(Ask(unit, "*MRD_IMEI=W,,,356938035643809"), kNotAllowed);
}

TEST_F(TwoStepWrite, OneFirstStepAllowsOneSecondStep)
{
    Ask(unit, "*MRD_SN=D");
    EXPECT_EQ(Ask(unit, "*MRD_SN=W,,,FIRST0001"), kOk);
    EXPECT_EQ(Ask(unit, "*MRD_SN=W,,,SECOND001"), kNotAllowed);
    EXPECT_EQ(unit.State().sn, "FIRST0001");
}

TEST_F(TwoStepWrite, WithheldFirstStepIsNotAnsweredAndPreparesNothing)
{
    unit.State().withholdDAnswers = true;
    for (const char* first : {"*MRD_IMEI=D", "+KAVOMAC=D", "*MRD_SN=D", "+kavousbmode=d"})
        EXPECT_TRUE(unit.Receive(test::Line(first)).empty()) << first;
    EXPECT_EQ(Ask(unit, "+kavousbmode=w,2"), kNotAllowed);
}

TEST_F(TwoStepWrite, EmptyValueIsRefused)
{
    Ask(unit, "*MRD_IMEI=D");
    EXPECT_EQ(Ask(unit, "*MRD_IMEI=W,,,"), kBadValue);
    EXPECT_EQ(unit.State().imei, "867400012345678");
}

TEST(NetworkLock, LockThenUnlockWithTheRightCode)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Ask(unit, "+clck=PN,1"), kOk);
    EXPECT_EQ(Ask(unit, "+clck=PN,2"), "\r\n*CLCK: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(Ask(unit, "+clck=PN,0,12345678"), kOk);
    EXPECT_EQ(Ask(unit, "+clck=PN,2"), "\r\n*CLCK: 1\r\n\r\nOK\r\n");
}

TEST(NetworkLock, WrongCodeLeavesTheUnitLocked)
{
    UnitSimulator unit({}, Immediate());
    unit.State().pnLocked = true;
    unit.State().unlockCode = "90817263";
    for (const char* code : {"12345678", "9081726", "908172630", ""})
        EXPECT_EQ(Ask(unit, std::string("+clck=PN,0,") + code), "\r\n+CME ERROR: 16\r\n") << code;
    EXPECT_TRUE(unit.State().pnLocked);
    EXPECT_EQ(Ask(unit, "+clck=PN,0,90817263"), kOk);
    EXPECT_FALSE(unit.State().pnLocked);
}

TEST(UnitEvents, PowerResetAndRestoreAreRecordedInOrder)
{
    UnitSimulator unit({}, Immediate());
    Ask(unit, "+RSTSET");
    Ask(unit, "+POWEROFF");
    Ask(unit, "+RESET");
    Ask(unit, "+RESET");
    EXPECT_EQ(unit.State().events,
              (std::vector<UnitEvent>{UnitEvent::Restore, UnitEvent::PowerOff, UnitEvent::Reset, UnitEvent::Reset}));
}

TEST(UnitEvents, QueriesRecordNothing)
{
    UnitSimulator unit({}, Immediate());
    Ask(unit, "*MRD_IMEI?");
    Ask(unit, "+BOGUS");
    EXPECT_TRUE(unit.State().events.empty());
}

TEST(BuiltInTests, ScreenLedsAndKeyTestStatesFollowTheRequests)
{
    UnitSimulator unit({}, Immediate());
    Ask(unit, "+FUNC=23,1");
    Ask(unit, "+FUNC=11,1");
    Ask(unit, "+FUNC=2,1");
    EXPECT_TRUE(unit.State().lcdLit);
    EXPECT_TRUE(unit.State().ledsAllOn);
    EXPECT_TRUE(unit.State().keyTestRunning);
    Ask(unit, "+FUNC=23,0");
    Ask(unit, "+FUNC=2,0");
    EXPECT_FALSE(unit.State().lcdLit);
    EXPECT_FALSE(unit.State().keyTestRunning);
}

TEST(BuiltInTests, KeyReportUsesTheStateAtTheKeyTestStart)
{
    UnitSimulator unit({}, Immediate());
    unit.State().keyReportDigit = '2';
    unit.State().keyReportDelayMs = 250;
    const std::vector<TimedWrite> writes = unit.Receive(test::Line("+FUNC=2,1"));
    ASSERT_EQ(writes.size(), 2U);
    EXPECT_EQ(writes[1], (TimedWrite {250, "\r\n+FUNC KEY:2\r\n"}));
}

}  // namespace
}  // namespace sim
