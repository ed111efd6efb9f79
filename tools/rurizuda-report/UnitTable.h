#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "tools/rurizuda-report/StoreTimeReader.h"

// Every unit (by SN) of a file pair with the keys of its first and last row:
// an open-addressing hash table over a dense array, the SNs copied into
// blocks of their own, so a million units take some 50 MB.
class UnitTable {
public:
    struct Unit {
        UnitKey first;
        UnitKey last;
    };

    // The unit of `sn`; a new one starts with both keys `key` and sets `created`.
    Unit& Find(std::string_view sn, UnitKey key, bool* created);
    // Room for this many units without growing.
    void Reserve(size_t units);
    size_t Size() const { return entries_.size(); }
    void Clear();

private:
    struct Entry {
        Unit unit;
        const char* sn;
        uint32_t length;
        uint32_t hash;
    };

    const char* Keep(std::string_view sn);
    void Grow(size_t slots);

    std::vector<Entry> entries_;
    std::vector<uint32_t> slots_;  // index into entries_ + 1; 0 empty
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t blockLeft_ = 0;
    char* blockNext_ = nullptr;
};
