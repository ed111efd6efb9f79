#pragma once

#include <string>
#include <vector>

#include "records/UnitJournal.h"

// What the per-unit journal says about a day or more: how long units and
// items take, and which items fail.

struct ItemTiming {
    std::string item;
    int runs = 0;
    int failures = 0;  // runs whose result is "FAIL"
    int64_t totalMs = 0;
    int64_t longestMs = 0;
};

struct JournalSummary {
    int entries = 0;
    int skippedLines = 0;
    int stored = 0;
    int refused = 0;
    int passed = 0;
    int maintenance = 0;
    int timedTests = 0;  // entries with both ends of the one-key test
    int64_t totalTestMs = 0;
    int64_t longestTestMs = 0;
    std::vector<ItemTiming> items;  // in the order first seen
};

void AddToSummary(JournalSummary* summary, const UnitJournalRead& read);

std::string JournalSummaryText(const JournalSummary& summary);
