#include "sim/WriteScheduler.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

using Clock = WriteScheduler::Clock;
using std::chrono::milliseconds;
using Strings = std::vector<std::string>;

const Clock::time_point kStart = Clock::time_point {} + std::chrono::hours(1);

TEST(WriteScheduler, WritesLeaveWhenDueAndNotBefore)
{
    WriteScheduler scheduler;
    scheduler.Add(kStart, {{0, "a"}, {30, "b"}, {1500, "c"}});
    EXPECT_EQ(scheduler.TakeDue(kStart), Strings {"a"});
    EXPECT_EQ(scheduler.TakeDue(kStart + milliseconds(29)), Strings {});
    EXPECT_EQ(scheduler.TakeDue(kStart + milliseconds(1600)), (Strings {"b", "c"}));
    EXPECT_TRUE(scheduler.Empty());
}

TEST(WriteScheduler, WritesDueTogetherKeepTheirOrder)
{
    WriteScheduler scheduler;
    scheduler.Add(kStart, {{10, "first"}, {10, "second"}});
    scheduler.Add(kStart, {{10, "third"}});
    EXPECT_EQ(scheduler.TakeDue(kStart + milliseconds(10)), (Strings {"first", "second", "third"}));
}

TEST(WriteScheduler, LaterRequestsMayBeDueEarlier)
{
    WriteScheduler scheduler;
    scheduler.Add(kStart, {{2000, "key report"}});
    scheduler.Add(kStart + milliseconds(100), {{30, "imei"}});
    EXPECT_EQ(scheduler.TakeDue(kStart + milliseconds(130)), Strings {"imei"});
    EXPECT_EQ(scheduler.MsUntilNext(kStart + milliseconds(130)), 1870);
}

TEST(WriteScheduler, WaitIsRoundedUpAndNeverNegative)
{
    WriteScheduler scheduler;
    EXPECT_EQ(scheduler.MsUntilNext(kStart), -1);
    scheduler.Add(kStart, {{30, "a"}});
    EXPECT_EQ(scheduler.MsUntilNext(kStart + std::chrono::microseconds(500)), 30);
    EXPECT_EQ(scheduler.MsUntilNext(kStart + milliseconds(31)), 0);
}

}  // namespace
}  // namespace sim
