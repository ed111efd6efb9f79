#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/rurizuda-report/YieldFigures.h"

// The latest failed rows, one per unit, as RecentFails orders them: by store
// time, then by rowid, newest first; rows without SN each their own unit.
// Rows may be offered in any order; only the kRecentFailedUnits newest units
// are kept (a unit pushed out can only come back with a newer row).
class RecentFailures {
public:
    // `make` builds the unit's line, called only when the row is kept.
    template <typename Make>
    void Offer(const std::string& t, int64_t rowid, std::string_view sn, Make make)
    {
        const auto newer = [&](const Entry& e) { return t > e.t || (t == e.t && rowid > e.rowid); };
        if (!sn.empty()) {
            const auto same = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.sn == sn; });
            if (same != entries_.end()) {
                if (!newer(*same))
                    return;
                entries_.erase(same);
            }
        }
        if (entries_.size() >= kRecentFailedUnits && !newer(entries_.back()))
            return;
        const auto at = std::find_if(entries_.begin(), entries_.end(), newer);
        entries_.insert(at, Entry {t, rowid, std::string(sn), make()});
        if (entries_.size() > kRecentFailedUnits)
            entries_.pop_back();
    }

    std::vector<FailedUnit> Units() const
    {
        std::vector<FailedUnit> units;
        for (const auto& entry : entries_)
            units.push_back(entry.unit);
        return units;
    }

    void Clear() { entries_.clear(); }

private:
    struct Entry {
        std::string t;
        int64_t rowid;
        std::string sn;
        FailedUnit unit;
    };
    std::vector<Entry> entries_;  // newest first
};
