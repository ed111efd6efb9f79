#include "tools/rurizuda-report/JournalSummary.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Seconds(int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

ItemTiming& ItemOf(JournalSummary* summary, const std::string& name)
{
    auto found = std::find_if(summary->items.begin(), summary->items.end(),
                              [&](const ItemTiming& item) { return item.item == name; });
    if (found != summary->items.end())
        return *found;
    summary->items.push_back({name});
    return summary->items.back();
}

}  // namespace

void AddToSummary(JournalSummary* summary, const UnitJournalRead& read)
{
    summary->skippedLines += read.skippedLines;
    for (const auto& entry : read.entries) {
        ++summary->entries;
        ++(entry.stored ? summary->stored : summary->refused);
        summary->passed += entry.verdict == "PASS";
        summary->maintenance += entry.maintenance;
        if (entry.testStart && entry.testEnd) {
            const int64_t ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(*entry.testEnd - *entry.testStart).count();
            ++summary->timedTests;
            summary->totalTestMs += ms;
            summary->longestTestMs = std::max(summary->longestTestMs, ms);
        }
        for (const auto& item : entry.items) {
            ItemTiming& timing = ItemOf(summary, item.name);
            ++timing.runs;
            timing.failures += item.result == "FAIL";
            timing.totalMs += item.durationMs;
            timing.longestMs = std::max(timing.longestMs, item.durationMs);
        }
    }
}

std::string JournalSummaryText(const JournalSummary& s)
{
    std::string text = "Journal entries: " + std::to_string(s.entries) + " (stored " + std::to_string(s.stored) +
                       ", refused " + std::to_string(s.refused) + "; pass " + std::to_string(s.passed) + ", fail " +
                       std::to_string(s.entries - s.passed) + "; maintenance " + std::to_string(s.maintenance) +
                       ")\n";
    if (s.skippedLines)
        text += "Lines skipped, not whole entries: " + std::to_string(s.skippedLines) + "\n";
    if (s.timedTests) {
        text += "One-key test: " + std::to_string(s.timedTests) + " timed, average " +
                Seconds(s.totalTestMs / s.timedTests) + ", longest " + Seconds(s.longestTestMs) + "\n";
    }
    text += "Items (runs, failures, average ms, longest ms):\n";
    for (const auto& item : s.items) {
        text += "  " + item.item + "  " + std::to_string(item.runs) + "  " + std::to_string(item.failures) + "  " +
                std::to_string(item.totalMs / item.runs) + "  " + std::to_string(item.longestMs) + "\n";
    }
    return text;
}
