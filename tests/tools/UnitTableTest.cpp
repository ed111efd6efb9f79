// The file pair's unit table: every unit found again by its SN however the
// table grew, whichever way its hash was given, and the large-page arrays
// under it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/rurizuda-report/LargePageAllocator.h"
#include "tools/rurizuda-report/UnitTable.h"

namespace {

struct Growth {
    const char* name;
    size_t reserved;  // Reserve() before the first unit; 0 none
    size_t units;
    size_t snBytes;   // the SNs' length (at least that of the number)
};

const Growth kGrowths[] = {
    {"few units, no room reserved", 0, 10, 8},
    {"grows many times", 0, 200'000, 12},
    {"room reserved for all", 200'000, 150'000, 12},
    {"room reserved for fewer", 1'000, 50'000, 30},
    {"SNs longer than a block of texts", 0, 3, (size_t {1} << 20) + 5},
};

std::string SnOf(size_t i, size_t bytes)
{
    std::string sn = std::to_string(i);
    sn.insert(0, bytes > sn.size() ? bytes - sn.size() : 0, 'S');
    return sn;
}

TEST(UnitTable, FindsEveryUnitAgainByItsSn)
{
    for (const auto& growth : kGrowths) {
        UnitTable table;
        if (growth.reserved)
            table.Reserve(growth.reserved);
        for (size_t i = 0; i < growth.units; ++i) {
            bool created = false;
            // Every other unit by the hash that Prefetch gave, as the file pair reads.
            const std::string sn = SnOf(i, growth.snBytes);
            UnitTable::Unit& unit = i % 2 ? table.Find(sn, table.Prefetch(sn), i * 2, &created)
                                          : table.Find(sn, i * 2, &created);
            ASSERT_TRUE(created) << growth.name << ", unit " << i;
            unit.last = i * 2 + 1;
        }
        EXPECT_EQ(table.Size(), growth.units) << growth.name;
        for (size_t i = 0; i < growth.units; ++i) {
            bool created = true;
            const std::string sn = SnOf(i, growth.snBytes);
            const UnitTable::Unit& unit = table.Find(sn, UnitTable::HashOf(sn), 0, &created);
            ASSERT_FALSE(created) << growth.name << ", unit " << i;
            EXPECT_EQ(unit.first, i * 2) << growth.name << ", unit " << i;
            EXPECT_EQ(unit.last, i * 2 + 1) << growth.name << ", unit " << i;
        }
        table.Clear();
        bool created = false;
        table.Find(SnOf(0, growth.snBytes), 7, &created);
        EXPECT_TRUE(created) << growth.name << ": a cleared table knows no unit";
        EXPECT_EQ(table.Size(), 1u) << growth.name;
    }
}

TEST(LargePageAllocator, HoldsSmallAndLargeArrays)
{
    for (const size_t size : {size_t {1}, size_t {1000}, size_t {1} << 20, (size_t {3} << 20) + 1}) {
        std::vector<uint32_t, LargePageAllocator<uint32_t>> values(size);
        for (size_t i = 0; i < size; ++i)
            values[i] = static_cast<uint32_t>(i * 7);
        values.push_back(1);  // grown: the old array given back, the new one taken
        for (size_t i = 0; i < size; ++i)
            ASSERT_EQ(values[i], static_cast<uint32_t>(i * 7)) << size << ", " << i;
        EXPECT_EQ(values.back(), 1u) << size;
    }
}

}  // namespace
