// Interpretation of profile texts: switches, prefixes and the post-test delay.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "config/ProfileValues.h"

namespace {

TEST(ProfileSwitch, OnlyExactUpperCaseYesIsOn)
{
    EXPECT_TRUE(IsOn("YES"));
    for (const char* off : {"yes", "Yes", "YESS", "YES ", " YES", "YE", "NO", "1", "TRUE", ""})
        EXPECT_FALSE(IsOn(off)) << '"' << off << '"';
    EXPECT_FALSE(IsOn(std::string("YES\0", 4)));
}

TEST(ProfileSwitch, OnlyExactlyOneSwitchesANumericSwitchOn)
{
    EXPECT_TRUE(IsNumericSwitchOn("1"));
    for (const char* off : {"0", "", "01", "1 ", " 1", "YES", "true", "2"})
        EXPECT_FALSE(IsNumericSwitchOn(off)) << '"' << off << '"';
}

TEST(ProfilePrefix, FewerThanFiveCharactersSwitchTheCheckOff)
{
    EXPECT_FALSE(PrefixCheckEnabled(""));
    EXPECT_FALSE(PrefixCheckEnabled("A45E"));
    EXPECT_TRUE(PrefixCheckEnabled("A45E6"));
    EXPECT_TRUE(PrefixCheckEnabled("RZ_V1.2.2"));
}

TEST(ProfileDelay, LeadingNumberClampedToOneHour)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"3", 3},          {"3x", 3},       {"x", 0},     {"", 0},
        {"-5", 0},         {"  +7", 7},     {"\t\n 12", 12}, {"1 2", 1},
        {"007", 7},        {"0x10", 0},     {"+", 0},     {"- 5", 0},
        {"3600", 3600},    {"3601", 3600},  {"4000", 3600},
        {"99999999999999999999", 3600},     {"-99999999999999999999", 0},
        {std::string(10000, '9'), 3600},
    };
    for (const auto& [text, seconds] : cases)
        EXPECT_EQ(ParseDelaySeconds(text), seconds) << '"' << text << '"';
}

TEST(ProfileIdleMinutes, PositiveWholeMinutesUpToADayElseThirty)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 30},   {"x", 30},      {"0", 30},      {"-5", 30},    {"1", 1},
        {" 45", 45}, {"2min", 2},   {"1440", 1440}, {"1441", 1440}, {"99999999999999999999", 1440},
    };
    for (const auto& [text, minutes] : cases)
        EXPECT_EQ(ParseIdleMinutes(text), minutes) << '"' << text << '"';
}

} // namespace
