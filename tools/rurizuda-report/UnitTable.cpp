#include "tools/rurizuda-report/UnitTable.h"

#include <cstring>
#include <functional>
#include <stdexcept>

namespace {

constexpr unsigned kBlockBits = 20;
constexpr size_t kSnBlockBytes = size_t {1} << kBlockBits;
constexpr size_t kMostBlocks = size_t {1} << (32 - kBlockBits);
constexpr size_t kFirstSlots = 1024;  // a power of two
// The table grows when more than this share of slots is taken.
constexpr size_t kMostFilledPercent = 60;

size_t SlotsFor(size_t units)
{
    size_t slots = kFirstSlots;
    while (units * 100 > slots * kMostFilledPercent)
        slots *= 2;
    return slots;
}

}  // namespace

uint32_t UnitTable::HashOf(std::string_view sn)
{
    return static_cast<uint32_t>(std::hash<std::string_view>()(sn));
}

uint32_t UnitTable::Prefetch(std::string_view sn) const
{
    const uint32_t hash = HashOf(sn);
    if (!slots_.empty())
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    return hash;
}

uint32_t UnitTable::Keep(std::string_view sn)
{
    if (blocks_.empty() || sn.size() > blockSize_ - blockUsed_) {
        // An SN longer than a block gets a block of its own.
        if (blocks_.size() == kMostBlocks)
            throw std::length_error("too many SN texts");
        blockSize_ = std::max(sn.size(), kSnBlockBytes);
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
        blockUsed_ = 0;
    }
    std::memcpy(blocks_.back().get() + blockUsed_, sn.data(), sn.size());
    const auto kept = static_cast<uint32_t>(((blocks_.size() - 1) << kBlockBits) | blockUsed_);
    blockUsed_ += sn.size();
    return kept;
}

std::string_view UnitTable::SnOf(const Entry& entry) const
{
    return {blocks_[entry.sn >> kBlockBits].get() + (entry.sn & (kSnBlockBytes - 1)), entry.length};
}

void UnitTable::Grow(size_t slots)
{
    slots_.assign(slots, Slot {0, 0});
    mostEntries_ = slots * kMostFilledPercent / 100;
    const size_t mask = slots - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const uint32_t hash = HashOf(SnOf(entries_[i]));
        size_t slot = hash & mask;
        while (slots_[slot].entry != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = {static_cast<uint32_t>(i + 1), hash};
    }
}

void UnitTable::Reserve(size_t units)
{
    entries_.reserve(units);
    if (SlotsFor(units) > slots_.size())
        Grow(SlotsFor(units));
}

UnitTable::Unit& UnitTable::Find(std::string_view sn, uint32_t hash, UnitKey key, bool* created)
{
    if (entries_.size() + 1 > mostEntries_)
        Grow(SlotsFor(entries_.size() + 1));
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    for (; slots_[slot].entry != 0; slot = (slot + 1) & mask) {
        if (slots_[slot].hash != hash)
            continue;
        Entry& entry = entries_[slots_[slot].entry - 1];
        if (SnOf(entry) == sn) {
            *created = false;
            return entry.unit;
        }
    }
    entries_.push_back({{key, key}, Keep(sn), static_cast<uint32_t>(sn.size())});
    slots_[slot] = {static_cast<uint32_t>(entries_.size()), hash};
    *created = true;
    return entries_.back().unit;
}

void UnitTable::Clear()
{
    entries_ = {};
    slots_ = {};
    mostEntries_ = 0;
    blocks_.clear();
    blockUsed_ = 0;
    blockSize_ = 0;
}
