// The numbering rules of the writing station as pure functions: the IMEI
// check digit, the next IMEI and MAC of a series, the MAC as it is written
// and as it is compared after reading it back.
#include "station/SeriesNumbers.h"

#include <gtest/gtest.h>

namespace {

struct TextRow {
    const char* input;
    std::optional<std::string> expected;
};

TEST(ImeiCheckDigit, LuhnDigitOfFourteenDigitsOnly)
{
    const std::pair<const char*, std::optional<char>> rows[] = {
        {"49015420323751", '8'},  // the worked example of 3GPP TS 23.003
        {"35999999999999", '8'},
        {"86740001234568", '6'},
        {"00000000000000", '0'},
        {"4901542032375", std::nullopt},    // 13 digits
        {"490154203237518", std::nullopt},  // 15 digits
        {"4901542032375A", std::nullopt},
        {"490154203 3751", std::nullopt},
    };
    for (const auto& [body, digit] : rows)
        EXPECT_EQ(ImeiCheckDigit(body), digit) << body;
}

TEST(NextDecimal, AddsOneKeepingTheFirstTwoCharacters)
{
    const TextRow rows[] = {
        {"49015420323751", "49015420323752"},
        {"35000000000009", "35000000000010"},
        {"35999999999999", "35000000000000"},  // wraps, the carry stops before the first two
        {"99999999999999", "99000000000000"},
        {"35X1", "35X2"},                      // a non-digit the rule never reaches
        {"3500000000000X", std::nullopt},
        {"35X9", std::nullopt},                // reached through the carry
        {"35", "35"},
    };
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(NextDecimal(input), expected) << input;
}

TEST(NextHex, AddsOneInUpperCaseOverSeparators)
{
    const TextRow rows[] = {
        {"00:1a:2b:3c:4d:5e", "00:1A:2B:3C:4D:5F"},
        {"001A2B3C4D59", "001A2B3C4D5A"},       // 9 -> A
        {"001A2B3C4D5F", "001A2B3C4D60"},       // F -> 0 with a carry
        {"00-1A-2B-3C-4D-FF", "00-1A-2B-3C-4E-00"},  // the carry passes the separator
        {"00:1A:2B:3C:4D:5E:", "00:1A:2B:3C:4D:5F:"},
        {"FFFFFFFFFFFF", "FF0000000000"},        // wraps below the first two
        {"a4", "A4"},
    };
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(NextHex(input), expected.value()) << input;
}

TEST(MacDigitsOf, KeepsHexDigitsInOrderUpperCased)
{
    const std::pair<const char*, const char*> rows[] = {
        {"00:1a:2b:3c:4d:5e", "001A2B3C4D5E"},
        {"00-1A 2B.3C_4D5e", "001A2B3C4D5E"},
        {"001A2B3C4D5E6", "001A2B3C4D5E6"},
        {"GHIJ:KL", ""},
    };
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(MacDigitsOf(input), expected) << input;
}

TEST(ReportedMacMatches, ComparesTheDigitsNotTheSeparators)
{
    const std::pair<const char*, bool> rows[] = {
        {"00-1A-2B-3C-4D-5E", true},
        {"00:1A:2B:3C:4D:5E", true},
        {"00-1A-2B-3C-4D-5E-77", true},  // what follows the sixth byte is not looked at
        {"00-1a-2b-3c-4d-5e", false},    // letter case counts
        {"00-1A-2B-3C-4D-5F", false},
        {"001A2B3C4D5E", false},         // no separators: the digits are out of place
        {"00-1A-2B-3C-4D-5", false},
        {"", false},
    };
    for (const auto& [reported, matches] : rows)
        EXPECT_EQ(ReportedMacMatches(reported, "001A2B3C4D5E"), matches) << reported;
    EXPECT_FALSE(ReportedMacMatches("00-1A-2B-3C-4D-5E", "001A2B3C4D5"));
}

}  // namespace
