// DTIME read after the row before: the answer equals that of a DTIME read on
// its own, whatever the two texts are.
#include <gtest/gtest.h>

#include "tools/rurizuda-report/StoreTimeReader.h"

namespace {

struct Pair {
    const char* before;
    const char* dtime;
};

const Pair kPairs[] = {
    {"Mon Dec  7 10:00:00 2026\n", "Mon Dec  7 10:00:02 2026\n"},  // the next second
    {"Mon Dec  7 10:00:58 2026\n", "Mon Dec  7 10:01:00 2026\n"},  // the next minute
    {"Mon Dec  7 10:00:00 2026", "Mon Dec  7 10:00:01 2026\r\n"},   // another line end
    {"Mon Dec  7 10:00:00 2026\n", "Mon Dec  7 10:00:9x 2026\n"},  // no digit in the seconds
    {"Mon Dec  7 10:00:9x 2026\n", "Mon Dec  7 10:00:00 2026\n"},  // after one without
    {"Mon Dex  7 10:00:00 2026\n", "Mon Dex  7 10:00:01 2026\n"},  // no month: neither read
    {"Mon Dec  7 10:00:00 2026 x", "Mon Dec  7 10:00:01 2026 x"},  // no time: neither read
    {"Mön Dec  7 10:00:00 2026", "Mön Dec  7 10:00:01 2026"},      // a character of two bytes
    {"Mon Dec 07 10:00:00 2026\n", "Mon Dec 07 10:00:99 2026\n"},  // seconds read as written
    {"Mon Dec  7 10:00:00 2026\n", "Mon Dec  7 10:00:00 2026\n"},  // the same
    {"", "Mon Dec  7 10:00:00 2026\n"},
    {"Mon Dec  7 10:00:00 2026\n", ""},
    {"Mon Dec  7 10:00", "Mon Dec  7 10:01"},
};

TEST(CtimeText, AfterTheRowBeforeReadsAsOnItsOwn)
{
    for (const auto& pair : kPairs) {
        CtimeText after, alone;
        ReadCtimeText(pair.before, &after);
        const bool read = ReadCtimeText(pair.dtime, &after);
        ASSERT_EQ(read, ReadCtimeText(pair.dtime, &alone)) << pair.before << " then " << pair.dtime;
        if (read) {
            EXPECT_EQ(after.key, alone.key) << pair.before << " then " << pair.dtime;
            EXPECT_EQ(after.t, alone.t) << pair.before << " then " << pair.dtime;
        }
    }
}

}  // namespace
