// Value extraction on raw reply text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "atcmd/Extract.h"
#include "tests/support/VirtualTime.h"

namespace {

std::string Copy(const char* from, int max, OkStop okStop = OkStop::Never)
{
    char out[128] = {};
    CopyValue(from, out, max, okStop);
    return out;
}

TEST(CopyValue, StopsBeforeCrLfAtTheMaximumAndAtTheChunkEnd)
{
    EXPECT_EQ(Copy("ABC\r\n\r\nOK\r\n", 10), "ABC");
    EXPECT_EQ(Copy("ABCDEFGHIJ", 4), "ABCD");
    EXPECT_EQ(Copy("ABC", 10), "ABC");
    EXPECT_EQ(Copy("", 10), "");
    EXPECT_EQ(Copy("AB\r", 10), "AB\r");  // the LF would come with the next chunk
}

TEST(CopyValue, OkEndsAValueOnlyWhereItStandsAloneOnItsLine)
{
    const struct {
        const char* chunk;
        const char* value;
    } rows[] = {
        {"BOOKSHOP-1A2B\r\n\r\nOK\r\n", "BOOKSHOP-1A2B"},
        {"OKTOBER-5G\r\n\r\nOK\r\n", "OKTOBER-5G"},
        {"OK-5G", "OK-5G"},
        {"123\r\nOK\r\n", "123"},
        {"NET\nOK", "NET\n"},
        {"NET\rOK", "NET\r"},
        {"NET\nOK\n", "NET\n"},
        {"NET\nOKAY", "NET\nOKAY"},
        {"OK", ""},
        {"OK\r\n", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Copy(row.chunk, 60, OkStop::AtLineStart), row.value) << Escape(row.chunk);
    EXPECT_EQ(Copy("NET\nOK", 60, OkStop::Never), "NET\nOK");
}

TEST(CopyMacValue, UpperCasesHexAndTurnsColonsIntoHyphens)
{
    char out[32] = {};
    EXPECT_EQ(CopyMacValue("a4:5e:60:c1:22:9f\r\n\r\nOK\r\n", out, 20), 17);
    EXPECT_STREQ(out, "A4-5E-60-C1-22-9F");
    char other[32] = {};
    CopyMacValue("xyz:g", other, 20);
    EXPECT_STREQ(other, "xyz-g");
}

struct Cesq {
    std::string first, third, sixth;
    bool operator==(const Cesq&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Cesq& c)
{
    return os << '[' << c.first << '|' << c.third << '|' << c.sixth << ']';
}

Cesq Parse(const char* afterColon)
{
    char a[5], b[5], c[5];
    std::memset(a, 'x', sizeof a);
    std::memset(b, 'x', sizeof b);
    std::memset(c, 'x', sizeof c);
    ParseCesqFields(afterColon, a, b, c, 5);
    return {a, b, c};
}

TEST(ParseCesqFields, TakesTheFirstThirdAndSixthField)
{
    EXPECT_EQ(Parse(" 99,99,255,255,255,255\r\n\r\nOK\r\n"), (Cesq {"99", "255", "255"}));
    EXPECT_EQ(Parse(" 63,0,,,20,45\r\n\r\nOK\r\n"), (Cesq {"63", "", "45"}));
}

TEST(ParseCesqFields, StopsAtTheTextEndAndTheCapacity)
{
    EXPECT_EQ(Parse(" 63,0,12"), (Cesq {"63", "12", ""}));
    EXPECT_EQ(Parse(" 63,0,12,4,5,45"), (Cesq {"63", "12", "45"}));  // no CR after the last field
    EXPECT_EQ(Parse(" 123456,0,7,8,9,1234567\r\n"), (Cesq {"1234", "7", "1234"}));
    EXPECT_EQ(Parse(" 63 0 12\r\nOK\r\n"), (Cesq {"63 0", "", ""}));  // no commas at all
    EXPECT_EQ(Parse(""), (Cesq {"", "", ""}));
}

}  // namespace
