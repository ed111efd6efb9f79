// Unit texts on their way to the line database, which holds UTF-8 only.
#include <gtest/gtest.h>

#include <string>

#include "records/LineText.h"

namespace {

// Bytes that are well-formed UTF-8 go as they are; anything else goes as
// Latin-1, one character per byte, so the server never refuses the row.
TEST(LineText, OnlyWellFormedUtf8GoesAsItIsAnythingElseAsLatin1)
{
    const struct {
        const char* name;
        std::string bytes;
        std::string sent;
    } cases[] = {
        {"ASCII", "RZ26A0145871", "RZ26A0145871"},
        {"two bytes", "RZ_\xC3\xA9", "RZ_\xC3\xA9"},
        {"smallest two-byte lead", "\xC2\x80", "\xC2\x80"},
        {"overlong NUL (lead 0xC0)", "SN\xC0\x80", "SN\xC3\x80\xC2\x80"},
        {"overlong slash (lead 0xC0)", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
        {"overlong DEL (lead 0xC1)", "\xC1\xBF", "\xC3\x81\xC2\xBF"},
        {"three bytes", "\xE2\x82\xAC", "\xE2\x82\xAC"},
        {"overlong three bytes", "\xE0\x80\xAF", "\xC3\xA0\xC2\x80\xC2\xAF"},
        {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"four bytes", "\xF0\x9F\x93\xB6", "\xF0\x9F\x93\xB6"},
        {"overlong four bytes", "\xF0\x80\x80\xAF", "\xC3\xB0\xC2\x80\xC2\x80\xC2\xAF"},
        {"above U+10FFFF", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
        {"lead 0xF5", "\xF5\x80\x80\x80", "\xC3\xB5\xC2\x80\xC2\x80\xC2\x80"},
        {"cut short", "SN\xE2\x82", "SN\xC3\xA2\xC2\x82"},
        {"lone continuation byte", "\x80", "\xC2\x80"},
        {"0xFF", "SN\xFF", "SN\xC3\xBF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineText(c.bytes), c.sent) << c.name;
}

// A cut never splits a character of well-formed text; text that is not
// UTF-8 is cut as bytes.
TEST(LineText, CutsKeepCharactersOfWellFormedTextWholeOnly)
{
    const struct {
        const char* name;
        std::string text;
        size_t limit;
        std::string cut;
    } cases[] = {
        {"fits", "ST-03", 40, "ST-03"},
        {"two-byte character dropped whole", "ST-\xC3\xA9", 4, "ST-"},
        {"overlong form is bytes (lead 0xC0)", "ST-\xC0\x80", 4, "ST-\xC0"},
        {"overlong form is bytes (lead 0xC1)", "ST-\xC1\xBF", 4, "ST-\xC1"},
        {"not UTF-8", "ST-\xFF\xFE", 4, "ST-\xFF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutAtCharacter(c.text, c.limit), c.cut) << c.name;
}

}  // namespace
