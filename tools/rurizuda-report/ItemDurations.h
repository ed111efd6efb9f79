#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "records/UnitJournal.h"
#include "tools/rurizuda-report/ResultRows.h"

// How long each item takes per station, from the per-unit journals: a slow
// fixture shows as a station whose item takes longer than the others'.

struct ItemDuration {
    std::string station;
    std::string item;
    int runs = 0;
    int64_t medianMs = 0;
    int64_t p95Ms = 0;  // nearest-rank 95th percentile
};

struct JournalFiles {
    std::vector<std::filesystem::path> files;  // in name order
    std::string error;                         // "" when every folder could be listed
};

// The day files (YYYY-MM-DD.jsonl) in DIR/units, or in DIR itself when it has
// no units folder, of every folder given, whose day lies within the period.
JournalFiles FindJournalFiles(const std::vector<std::string>& folders, std::optional<WallSeconds> fromDay,
                              std::optional<WallSeconds> toDay);

// Durations per station and item (by station, then in the order items were
// first seen), over the entries of every read.
class ItemDurationTable {
public:
    void Add(const UnitJournalRead& read);
    std::vector<ItemDuration> Durations() const;

private:
    struct Runs {
        std::string station;
        std::string item;
        std::vector<int64_t> ms;
    };
    std::vector<Runs> runs_;
};
