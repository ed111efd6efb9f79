#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "tools/rurizuda-report/LargePageAllocator.h"
#include "tools/rurizuda-report/StoreTimeReader.h"

// Every unit (by SN) of a file pair with the keys of its first and last row:
// an open-addressing hash table over units kept in one array (room reserved
// for the rows to read, so that it seldom grows), both on large pages, the
// SNs copied into blocks of their own. A million units take some 45 MB.
class UnitTable {
public:
    struct Unit {
        UnitKey first;
        UnitKey last;
    };

    // The unit of `sn`; a new one starts with both keys `key` and sets `created`.
    Unit& Find(std::string_view sn, UnitKey key, bool* created) { return Find(sn, HashOf(sn), key, created); }
    // The same, for `hash` = HashOf(sn).
    Unit& Find(std::string_view sn, uint32_t hash, UnitKey key, bool* created);
    // Starts loading the slot where `sn`'s search begins, so that the other
    // work on its row overlaps the wait for memory; gives HashOf(sn).
    uint32_t Prefetch(std::string_view sn) const;
    static uint32_t HashOf(std::string_view sn);
    // Room for this many units before the slots grow.
    void Reserve(size_t units);
    size_t Size() const { return entries_.size(); }
    void Clear();

private:
    struct Entry {
        Unit unit;
        uint32_t sn;  // block << kBlockBits | offset
        uint32_t length;
    };
    struct Slot {
        uint32_t entry;  // index into entries_ + 1; 0 empty
        uint32_t hash;   // the entry's, so most probes stay in slots_
    };

    uint32_t Keep(std::string_view sn);
    std::string_view SnOf(const Entry& entry) const;
    void Grow(size_t slots);

    std::vector<Entry, LargePageAllocator<Entry>> entries_;
    std::vector<Slot, LargePageAllocator<Slot>> slots_;
    size_t mostEntries_ = 0;  // before slots_ grows
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t blockUsed_ = 0;
    size_t blockSize_ = 0;
};
