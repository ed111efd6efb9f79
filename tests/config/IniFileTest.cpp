// The INI reader: name matching, which occurrence wins, value clean-up,
// line formats, cutting to the buffer, and hostile input.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "config/IniFile.h"

namespace {

constexpr std::size_t kWide = 100;  // a buffer no test value fills

std::string Get(std::string_view text, std::string_view section, std::string_view key)
{
    return IniFile::FromText(text).Get(section, key, kWide);
}

TEST(IniFileLookup, RepeatedSectionCountsOnlyWithItsFirstOccurrence)
{
    const auto ini = IniFile::FromText("[S]\nA=1\n[T]\nB=2\n[s]\nA=3\nC=4\n");
    EXPECT_EQ(ini.Get("S", "A", kWide), "1");
    EXPECT_EQ(ini.Get("S", "C", kWide), "");
    EXPECT_EQ(ini.Get("T", "B", kWide), "2");
    EXPECT_EQ(ini.Get("T", "C", kWide), "");
}

TEST(IniFileLookup, KeysBelongOnlyToTheirOwnSection)
{
    const auto ini = IniFile::FromText("K=before\n[S]\nA=1\n[T]\n");
    EXPECT_EQ(ini.Get("S", "K", kWide), "");
    EXPECT_EQ(ini.Get("T", "A", kWide), "");
    EXPECT_EQ(ini.Get("U", "A", kWide), "");
}

TEST(IniFileLookup, BrokenHeaderEndsThePreviousSection)
{
    EXPECT_EQ(Get("[S]\nA=1\n[T\nB=2\n", "S", "B"), "");
}

TEST(IniFileValues, BlanksAroundKeyAndValueAreRemoved)
{
    EXPECT_EQ(Get("  [ S ]  \n \t K \t=  YES \t\n", "S", "K"), "YES");
    EXPECT_EQ(Get("[S]\nK=  a b  \n", "S", "K"), "a b");
    EXPECT_EQ(Get("[S]\nK= \t\n", "S", "K"), "");
}

TEST(IniFileValues, MatchingQuotesAreRemovedAndTheirContentKept)
{
    EXPECT_EQ(Get("[S]\nK=\"YES\"\n", "S", "K"), "YES");
    EXPECT_EQ(Get("[S]\nK= 'YES' \n", "S", "K"), "YES");
    EXPECT_EQ(Get("[S]\nK=\" YES \"\n", "S", "K"), " YES ");
    EXPECT_EQ(Get("[S]\nK=\"\"\n", "S", "K"), "");
    EXPECT_EQ(Get("[S]\nK=\"YES'\n", "S", "K"), "\"YES'");
    EXPECT_EQ(Get("[S]\nK=\"\n", "S", "K"), "\"");
}

TEST(IniFileValues, EverythingAfterTheFirstEqualsSignIsTheValue)
{
    EXPECT_EQ(Get("[S]\nK=a=b;c\n", "S", "K"), "a=b;c");
}

TEST(IniFileFormat, CommentLinesAndLinesWithoutEqualsAreIgnored)
{
    const auto ini = IniFile::FromText("[S]\n;A=1\n  ; B=2\nnoise\nC=3\n");
    EXPECT_EQ(ini.Get("S", "A", kWide), "");
    EXPECT_EQ(ini.Get("S", ";A", kWide), "");
    EXPECT_EQ(ini.Get("S", "B", kWide), "");
    EXPECT_EQ(ini.Get("S", "C", kWide), "3");
}

TEST(IniFileFormat, CrLfLineEndsLeaveNoCarriageReturnBehind)
{
    const auto ini = IniFile::FromText("[S]\r\nK=YES\r\nQ=\"x\"\r\n[T]\r\nL=2");
    EXPECT_EQ(ini.Get("S", "K", kWide), "YES");
    EXPECT_EQ(ini.Get("S", "Q", kWide), "x");
    EXPECT_EQ(ini.Get("T", "L", kWide), "2");
}

TEST(IniFileFormat, LeadingByteOrderMarkIsSkipped)
{
    EXPECT_EQ(Get("\xEF\xBB\xBF[S]\nK=YES\n", "S", "K"), "YES");
}

TEST(IniFileBuffer, ValueIsCutToOneLessThanTheBufferSize)
{
    const auto ini = IniFile::FromText("[S]\nK=ABCDEFG\n");
    EXPECT_EQ(ini.Get("S", "K", 4), "ABC");
    EXPECT_EQ(ini.Get("S", "K", 8), "ABCDEFG");
    EXPECT_EQ(ini.Get("S", "K", 1), "");
    EXPECT_EQ(ini.Get("S", "K", 0), "");
}

TEST(IniFileBuffer, QuotesGoBeforeTheValueIsCut)
{
    EXPECT_EQ(IniFile::FromText("[S]\nK=\"YES\"\n").Get("S", "K", 4), "YES");
}

TEST(IniFileSource, FileThatCannotBeReadIsEmpty)
{
    const auto missing = std::filesystem::temp_directory_path() / "rurizuda-config-no-such-file.ini";
    EXPECT_EQ(IniFile(missing).Get("S", "K", kWide), "");
    EXPECT_EQ(IniFile(std::filesystem::temp_directory_path()).Get("S", "K", kWide), "");
}

TEST(IniFileRobustness, VeryLongLinesAreCutNotRejected)
{
    const std::string longValue(1 << 20, 'v');
    const auto ini = IniFile::FromText("[S]\nK=" + longValue + "\nL=1\n[" + longValue + "]\n");
    EXPECT_EQ(ini.Get("S", "K", 6), "vvvvv");
    EXPECT_EQ(ini.Get("S", "L", kWide), "1");
}

TEST(IniFileRobustness, ArbitraryBytesNeverBreakALookup)
{
    using namespace std::string_literals;
    const std::string alphabet = "[]=;'\"\r\n\t SKsk\xEF\xBB\xBF\xFF\0"s;
    std::mt19937 random(2026);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        for (int i = 0; i < 400; ++i)
            text += alphabet[pick(random)];
        const auto ini = IniFile::FromText(text);
        EXPECT_LE(ini.Get("S", "K", 5).size(), 4u);
        EXPECT_LE(ini.Get("", "", 2).size(), 1u);
    }
}

} // namespace
