// The recorded unit: which recorded chunks answer which request, and when.
#include "sim/ReplayUnit.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sim {
namespace {

using Writes = std::vector<TimedWrite>;
using Strings = std::vector<std::string>;

ReplayUnit Replay(const std::string& trace)
{
    std::istringstream in(trace);
    const WireTraceText text = ParseWireTrace(in);
    EXPECT_EQ(text.error, "");
    return ReplayUnit(text.chunks);
}

constexpr const char* kSplitImei =
    "5000 --> AT*MRD_IMEI?\\r\\n\n"
    "5473 <-- \\r\\n*MRD_IMEI:8674000\n"
    "5764 <-- 12345678\\r\\n\\r\\nOK\\r\\n\n"
    "9000 --> AT+RESET\\r\\n\n"
    "9030 <-- \\r\\nOK\\r\\n\n";

TEST(ReplayUnit, AnswersWithTheRecordedChunksAndGaps)
{
    ReplayUnit unit = Replay(kSplitImei);
    EXPECT_EQ(unit.Receive("AT*MRD_IMEI?\r\n"),
              (Writes {{473, "\r\n*MRD_IMEI:8674000"}, {764, "12345678\r\n\r\nOK\r\n"}}));
    EXPECT_EQ(unit.Receive("AT+RESET\r\n"), (Writes {{30, "\r\nOK\r\n"}}));
    EXPECT_TRUE(unit.Unanswered().empty());
}

// Requests are matched by their bytes, not by their place in the recording.
TEST(ReplayUnit, RequestsMayComeInAnotherOrder)
{
    ReplayUnit unit = Replay(kSplitImei);
    EXPECT_EQ(unit.Receive("AT+RESET\r\n"), (Writes {{30, "\r\nOK\r\n"}}));
    EXPECT_EQ(unit.Receive("AT*MRD_IMEI?\r\n").size(), 2u);
}

TEST(ReplayUnit, RepeatedRequestsGetTheirAnswersInRecordedOrderThenNone)
{
    ReplayUnit unit = Replay("0 --> AT+A\\r\\n\n10 <-- first\n100 --> AT+A\\r\\n\n120 <-- second\n");
    EXPECT_EQ(unit.Receive("AT+A\r\n"), (Writes {{10, "first"}}));
    EXPECT_EQ(unit.Receive("AT+A\r\n"), (Writes {{20, "second"}}));
    EXPECT_EQ(unit.Receive("AT+A\r\n"), Writes {});
    EXPECT_EQ(unit.Unanswered(), Strings {"AT+A\r\n"});
}

TEST(ReplayUnit, UnknownRequestsGetNoAnswerAndAreKept)
{
    ReplayUnit unit = Replay(kSplitImei);
    EXPECT_EQ(unit.Receive("AT+CESQ\r\n"), Writes {});
    EXPECT_EQ(unit.Receive("AT*mrd_imei?\r\n"), Writes {});
    EXPECT_EQ(unit.Unanswered(), (Strings {"AT+CESQ\r\n", "AT*mrd_imei?\r\n"}));
}

// A pseudo-terminal may hand a request over in pieces, or two at once.
TEST(ReplayUnit, RequestsAreAssembledFromPiecesAndSeparatedWhenJoined)
{
    ReplayUnit unit = Replay(kSplitImei);
    EXPECT_EQ(unit.Receive("AT*MRD_"), Writes {});
    EXPECT_EQ(unit.Receive("IMEI?\r\n").size(), 2u);
    EXPECT_EQ(unit.Receive("AT+RESET\r\nAT+RESET\r\n"), (Writes {{30, "\r\nOK\r\n"}}));
    EXPECT_EQ(unit.Unanswered(), Strings {"AT+RESET\r\n"});
}

// What the unit said before the station asked anything is not an answer.
TEST(ReplayUnit, ChunksBeforeTheFirstRequestAreNotReplayed)
{
    ReplayUnit unit = Replay("0 <-- +BOOT\\r\\n\n10 --> AT\\r\\n\n15 <-- OK\n");
    EXPECT_EQ(unit.Receive("AT\r\n"), (Writes {{5, "OK"}}));
}

}  // namespace
}  // namespace sim
