// When the unit answers, echo, and the faults injected into its answers.

#include "SimTestSupport.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

using test::Immediate;
using test::Joined;
using test::Line;

constexpr const char* kImeiReply = "\r\n*MRD_IMEI:867400012345678\r\n\r\nOK\r\n";

TEST(AnswerDelay, DefaultDelayAppliesToTheAnswer)
{
    UnitSimulator unit;
    const std::vector<TimedWrite> writes = unit.Receive(Line("*MRD_IMEI?"));
    ASSERT_EQ(writes.size(), 1U);
    EXPECT_EQ(writes[0], (TimedWrite {kDefaultAnswerDelayMs, kImeiReply}));
}

TEST(AnswerDelay, CommandDelayAddsToTheAnswerDelayOfThatCommandOnly)
{
    SimOptions options;
    options.answerDelayMs = 40;
    options.faults.For("*MRD_IMEI?").extraDelayMs = 500;
    UnitSimulator unit({}, options);
    EXPECT_EQ(unit.Receive(Line("*MRD_IMEI?")).at(0).delayMs, 540);
    EXPECT_EQ(unit.Receive(Line("+SDCARD?")).at(0).delayMs, 40);
}

TEST(AnswerDelay, VersionInTwoWritesComesAsSeparateReads)
{
    SimOptions options = Immediate();
    options.separateReadGapMs = 700;
    UnitSimulator oneWrite({}, options);
    UnitSimulator twoWrites({}, options);
    twoWrites.State().versionInTwoWrites = true;

    const std::vector<TimedWrite> split = twoWrites.Receive(Line("*READVER"));
    ASSERT_EQ(split.size(), 2U);
    EXPECT_EQ(split[0].bytes.find("release_time:"), std::string::npos);
    EXPECT_NE(split[0].bytes.find("release_version:"), std::string::npos);
    EXPECT_EQ(split[1].delayMs - split[0].delayMs, 700);
    EXPECT_EQ(Joined(split), Joined(oneWrite.Receive(Line("*READVER"))));
}

TEST(AnswerDelay, KeyReportFollowsAfterItsDelay)
{
    SimOptions options;
    options.answerDelayMs = 25;
    UnitSimulator unit({}, options);
    unit.State().keyReportDelayMs = 3000;
    const std::vector<TimedWrite> writes = unit.Receive(Line("+FUNC=2,1"));
    ASSERT_EQ(writes.size(), 2U);
    EXPECT_EQ(writes[0].delayMs, 25);
    EXPECT_EQ(writes[1].delayMs, 3025);
}

TEST(AnswerDelay, DelaysNeverDecreaseAcrossLinesOfOnePiece)
{
    UnitSimulator unit;
    unit.State().keyReportDelayMs = 100;
    const std::vector<TimedWrite> writes =
        unit.Receive(Line("+FUNC=2,1") + Line("*MRD_IMEI?") + Line("+RESET"));
    EXPECT_EQ(writes.size(), 4U);
    EXPECT_TRUE(test::DelaysNonDecreasing(writes));
    EXPECT_EQ(writes.back().bytes, "\r\n+FUNC KEY:0\r\n");
}

TEST(Echo, OnRepeatsTheLineBeforeTheAnswer)
{
    SimOptions options;
    options.echo = true;
    UnitSimulator unit({}, options);
    const std::vector<TimedWrite> writes = unit.Receive("AT*MRD_IM");
    EXPECT_TRUE(writes.empty());
    const std::vector<TimedWrite> answered = unit.Receive("EI?\r\n");
    ASSERT_EQ(answered.size(), 2U);
    EXPECT_EQ(answered[0], (TimedWrite {0, "AT*MRD_IMEI?\r\n"}));
    EXPECT_EQ(answered[1].bytes, kImeiReply);
}

TEST(Echo, OffByDefault)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Joined(unit.Receive(Line("*MRD_IMEI?"))), kImeiReply);
}

TEST(NoAnswerFault, SilencesTheAnswerButTheCommandTakesEffect)
{
    SimOptions options = Immediate();
    options.faults.For("+clck=PN,1").noAnswer = true;
    UnitSimulator unit({}, options);
    EXPECT_TRUE(unit.Receive(Line("+clck=PN,1")).empty());
    EXPECT_TRUE(unit.State().pnLocked);
    EXPECT_EQ(unit.Requests(), std::vector<std::string>{"+clck=PN,1"});
}

TEST(NoAnswerFault, KeyIsMatchedWithoutRegardToCase)
{
    SimOptions options = Immediate();
    options.faults.For("+KAVOUSBMODE?").noAnswer = true;
    UnitSimulator unit({}, options);
    EXPECT_TRUE(unit.Receive(Line("+kavousbmode?")).empty());
}

TEST(NoAnswerFault, AllSilencesEveryCommandAndTheKeyReport)
{
    SimOptions options = Immediate();
    options.faults.ForAll().noAnswer = true;
    UnitSimulator unit({}, options);
    EXPECT_TRUE(unit.Receive(Line("*MRD_IMEI?")).empty());
    EXPECT_TRUE(unit.Receive(Line("+FUNC=2,1")).empty());
}

TEST(NoAnswerFault, EchoStillComes)
{
    SimOptions options = Immediate();
    options.echo = true;
    options.faults.For("*MRD_IMEI?").noAnswer = true;
    UnitSimulator unit({}, options);
    EXPECT_EQ(Joined(unit.Receive(Line("*MRD_IMEI?"))), "AT*MRD_IMEI?\r\n");
}

TEST(ErrorAnswerFault, RefusesWithCmeErrorAndNoEffect)
{
    SimOptions options = Immediate();
    options.faults.For("+clck=PN,1").errorAnswer = true;
    UnitSimulator unit({}, options);
    EXPECT_EQ(Joined(unit.Receive(Line("+clck=PN,1"))), "\r\n+CME ERROR: 100\r\n");
    EXPECT_FALSE(unit.State().pnLocked);
}

TEST(ErrorAnswerFault, DigitScannedCommandsGetAnErrorWithoutDigits)
{
    SimOptions options = Immediate();
    options.faults.ForAll().errorAnswer = true;
    UnitSimulator unit({}, options);
    EXPECT_EQ(Joined(unit.Receive(Line("*MRD_CDF=q,GsmCalData.nvm"))), "\r\nERROR\r\n");
    EXPECT_EQ(Joined(unit.Receive(Line("+FUNC=2,1"))), "\r\nERROR\r\n");
    EXPECT_FALSE(unit.State().keyTestRunning);
}

TEST(ErrorAnswerFault, RefusedFirstStepDoesNotPrepareTheWrite)
{
    SimOptions options = Immediate();
    options.faults.For("*MRD_IMEI=D").errorAnswer = true;
    UnitSimulator unit({}, options);
    unit.Receive(Line("*MRD_IMEI=D"));
    EXPECT_EQ(Joined(unit.Receive(Line("*MRD_IMEI=W,,,356938035643809"))), "\r\n+CME ERROR: 3\r\n");
    EXPECT_EQ(unit.State().imei, "867400012345678");
}

TEST(SplitFault, CutsTheAnswerIntoTwoReadsThatJoinToTheWhole)
{
    SimOptions options;
    options.answerDelayMs = 10;
    options.separateReadGapMs = 900;
    options.faults.For("*MRD_IMEI?").splitAt = 5;
    UnitSimulator unit({}, options);
    const std::vector<TimedWrite> writes = unit.Receive(Line("*MRD_IMEI?"));
    ASSERT_EQ(writes.size(), 2U);
    EXPECT_EQ(writes[0], (TimedWrite {10, "\r\n*MR"}));
    EXPECT_EQ(writes[1], (TimedWrite {910, "D_IMEI:867400012345678\r\n\r\nOK\r\n"}));
}

TEST(SplitFault, OffsetOutsideTheAnswerLeavesItWhole)
{
    SimOptions options = Immediate();
    options.faults.For("+RESET").splitAt = 6;  // "\r\nOK\r\n" has 6 bytes
    options.faults.For("+RSTSET").splitAt = 0;
    UnitSimulator unit({}, options);
    EXPECT_EQ(unit.Receive(Line("+RESET")).size(), 1U);
    EXPECT_EQ(unit.Receive(Line("+RSTSET")).size(), 1U);
}

TEST(SplitFault, AllAppliesToEveryCommandAndKeepsLaterWritesBehind)
{
    SimOptions options = Immediate();
    options.separateReadGapMs = 400;
    options.faults.ForAll().splitAt = 3;
    UnitSimulator unit({}, options);
    unit.State().keyReportDelayMs = 100;
    const std::vector<TimedWrite> writes = unit.Receive(Line("+FUNC=2,1"));
    ASSERT_EQ(writes.size(), 3U);
    EXPECT_TRUE(test::DelaysNonDecreasing(writes));
    EXPECT_EQ(writes[0].bytes + writes[1].bytes, "\r\n+FUNC KEY:Waiting For Press\r\n\r\nOK\r\n");
    EXPECT_EQ(writes[2], (TimedWrite {500, "\r\n+FUNC KEY:0\r\n"}));
}

TEST(SplitFault, CommandOffsetWinsOverTheCommonOne)
{
    SimOptions options = Immediate();
    options.faults.ForAll().splitAt = 3;
    options.faults.For("*MRD_IMEI?").splitAt = 12;
    UnitSimulator unit({}, options);
    EXPECT_EQ(unit.Receive(Line("*MRD_IMEI?")).at(0).bytes, "\r\n*MRD_IMEI:");
}

}  // namespace
}  // namespace sim
