// How request lines are put together from the pieces the station writes.

#include "SimTestSupport.h"

#include "sim/LineAssembler.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

using test::Immediate;
using test::Joined;

constexpr const char* kImeiReply = "\r\n*MRD_IMEI:867400012345678\r\n\r\nOK\r\n";

TEST(RequestPieces, AnswerComesOnlyWithTheLineEnd)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_TRUE(unit.Receive("AT*MR").empty());
    EXPECT_TRUE(unit.Receive("D_IMEI?").empty());
    EXPECT_EQ(Joined(unit.Receive("\r\n")), kImeiReply);
    EXPECT_EQ(unit.Requests(), std::vector<std::string>{"*MRD_IMEI?"});
}

TEST(RequestPieces, LfArrivingLateIsNotAnEmptyLine)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Joined(unit.Receive("AT*MRD_IMEI?\r")), kImeiReply);
    EXPECT_TRUE(unit.Receive("\n").empty());
    EXPECT_EQ(unit.Requests().size(), 1U);
}

TEST(RequestPieces, BareCrEndsALine)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Joined(unit.Receive("AT*MRD_IMEI?\rAT+SDCARD?\r")),
              std::string(kImeiReply) + "\r\n+SDCARD:0\r\n\r\nOK\r\n");
}

TEST(RequestPieces, TwoLinesInOnePieceAreBothAnsweredInOrder)
{
    UnitSimulator unit({}, Immediate());
    const std::vector<TimedWrite> writes = unit.Receive("AT+RESET\r\nAT*MRD_IMEI?\r\n");
    ASSERT_EQ(writes.size(), 2U);
    EXPECT_EQ(writes[0].bytes, "\r\nOK\r\n");
    EXPECT_EQ(writes[1].bytes, kImeiReply);
    EXPECT_EQ(unit.Requests(), (std::vector<std::string>{"+RESET", "*MRD_IMEI?"}));
}

TEST(RequestPieces, LowerCaseAttentionIsAccepted)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_EQ(Joined(unit.Receive("at*MRD_IMEI?\r\n")), kImeiReply);
    EXPECT_EQ(unit.Requests(), std::vector<std::string>{"*MRD_IMEI?"});
}

TEST(RequestPieces, LinesWithoutAttentionAreIgnored)
{
    UnitSimulator unit({}, Immediate());
    EXPECT_TRUE(unit.Receive("*MRD_IMEI?\r\n\r\n").empty());
    EXPECT_TRUE(unit.Requests().empty());
}

TEST(RequestPieces, RequestsKeepTheirValuesAsSent)
{
    UnitSimulator unit({}, Immediate());
    unit.Receive("AT*MRD_SN=D\r\nAT*MRD_SN=W,,,ab12Cd\r\n");
    EXPECT_EQ(unit.Requests(), (std::vector<std::string>{"*MRD_SN=D", "*MRD_SN=W,,,ab12Cd"}));
    EXPECT_EQ(unit.State().sn, "ab12Cd");
}

TEST(LineAssembly, OverlongLineIsDroppedAndTheNextOneKept)
{
    LineAssembler lines;
    EXPECT_TRUE(lines.Feed(std::string(kMaxRequestLineLength + 1, 'A')).empty());
    EXPECT_TRUE(lines.Feed("more of the same").empty());
    EXPECT_EQ(lines.Feed("\r\nAT\r\n"), std::vector<std::string>{"AT"});
}

TEST(LineAssembly, LineOfExactlyTheLimitIsKept)
{
    LineAssembler lines;
    const std::string longest(kMaxRequestLineLength, 'A');
    EXPECT_EQ(lines.Feed(longest + "\r\n"), std::vector<std::string>{longest});
}

TEST(LineAssembly, EmptyLinesBetweenCrLfPairsAreKept)
{
    LineAssembler lines;
    EXPECT_EQ(lines.Feed("\r\n\r\nX\n"), (std::vector<std::string>{"", "", "X"}));
}

}  // namespace
}  // namespace sim
