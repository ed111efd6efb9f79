#include "tools/rurizuda-report/UnitTable.h"

#include <cstring>
#include <functional>

namespace {

constexpr size_t kSnBlockBytes = 1 << 20;
constexpr size_t kFirstSlots = 1024;  // a power of two
// The table grows when more than this share of slots is taken.
constexpr size_t kMostFilledPercent = 50;

size_t SlotsFor(size_t units)
{
    size_t slots = kFirstSlots;
    while (units * 100 > slots * kMostFilledPercent)
        slots *= 2;
    return slots;
}

}  // namespace

const char* UnitTable::Keep(std::string_view sn)
{
    if (sn.size() > blockLeft_) {
        const size_t size = std::max(sn.size(), kSnBlockBytes);
        blocks_.push_back(std::make_unique<char[]>(size));
        blockNext_ = blocks_.back().get();
        blockLeft_ = size;
    }
    char* kept = blockNext_;
    std::memcpy(kept, sn.data(), sn.size());
    blockNext_ += sn.size();
    blockLeft_ -= sn.size();
    return kept;
}

void UnitTable::Grow(size_t slots)
{
    slots_.assign(slots, 0);
    const size_t mask = slots - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        size_t slot = entries_[i].hash & mask;
        while (slots_[slot] != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = static_cast<uint32_t>(i + 1);
    }
}

void UnitTable::Reserve(size_t units)
{
    entries_.reserve(units);
    if (SlotsFor(units) > slots_.size())
        Grow(SlotsFor(units));
}

UnitTable::Unit& UnitTable::Find(std::string_view sn, UnitKey key, bool* created)
{
    if (slots_.empty() || SlotsFor(entries_.size() + 1) > slots_.size())
        Grow(SlotsFor(entries_.size() + 1));
    const auto hash = static_cast<uint32_t>(std::hash<std::string_view>()(sn));
    const size_t mask = slots_.size() - 1;
    size_t slot = hash & mask;
    for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
        Entry& entry = entries_[slots_[slot] - 1];
        if (entry.hash == hash && entry.length == sn.size() && std::memcmp(entry.sn, sn.data(), sn.size()) == 0) {
            *created = false;
            return entry.unit;
        }
    }
    entries_.push_back({{key, key}, Keep(sn), static_cast<uint32_t>(sn.size()), hash});
    slots_[slot] = static_cast<uint32_t>(entries_.size());
    *created = true;
    return entries_.back().unit;
}

void UnitTable::Clear()
{
    entries_ = {};
    slots_ = {};
    blocks_.clear();
    blockLeft_ = 0;
    blockNext_ = nullptr;
}
