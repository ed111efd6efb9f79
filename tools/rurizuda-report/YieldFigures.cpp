#include "tools/rurizuda-report/YieldFigures.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "tools/rurizuda-report/FailedItems.h"

namespace {

constexpr WallSeconds kSecondsPerHour = 3600;
constexpr WallSeconds kSecondsPerDay = 24 * kSecondsPerHour;

struct UnitHistory {
    WallSeconds firstTime = 0;
    bool firstPassed = false;
    bool lastPassed = false;
};

// Rows without SN cannot be told apart: each is a unit of its own.
std::string UnitKey(const ResultRow& row, size_t index)
{
    return row.Sn().empty() ? "\x01#" + std::to_string(index) : "=" + row.Sn();
}

std::vector<std::string> FailedItemsOrNone(const ResultRow& row)
{
    auto items = FailedItems(row);
    if (items.empty())
        items.push_back(kNoItemRecorded);
    return items;
}

// Units by the hour (day) of their first stored row; `firsts` in time order.
std::vector<TimeBucket> Buckets(const std::vector<const UnitHistory*>& firsts, WallSeconds size)
{
    std::vector<TimeBucket> buckets;
    if (firsts.empty())
        return buckets;
    const WallSeconds first = firsts.front()->firstTime / size * size;
    const WallSeconds last = firsts.back()->firstTime / size * size;
    for (WallSeconds start = first; start <= last; start += size)
        buckets.push_back({start, 0, 0});
    for (const auto* unit : firsts) {
        auto& bucket = buckets[static_cast<size_t>((unit->firstTime / size * size - first) / size)];
        ++(unit->firstPassed ? bucket.passed : bucket.failed);
    }
    return buckets;
}

std::vector<ItemFailures> Pareto(const std::vector<const ResultRow*>& rows)
{
    std::vector<ItemFailures> counts;
    for (const auto& column : kItemColumns)
        counts.push_back({column.item, 0});
    counts.push_back({kNoItemRecorded, 0});
    for (const auto* row : rows) {
        if (row->passed)
            continue;
        for (const auto& item : FailedItemsOrNone(*row)) {
            for (auto& count : counts) {
                if (count.item == item)
                    ++count.failures;
            }
        }
    }
    std::erase_if(counts, [](const ItemFailures& c) { return c.failures == 0; });
    std::stable_sort(counts.begin(), counts.end(),
                     [](const ItemFailures& a, const ItemFailures& b) { return a.failures > b.failures; });
    return counts;
}

std::string Percent(double value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", value);
    return text;
}

}  // namespace

YieldFigures ComputeYield(const std::vector<ResultRow>& rows, std::optional<WallSeconds> fromDay,
                          std::optional<WallSeconds> toDay)
{
    YieldFigures figures;
    figures.fromDay = fromDay;
    figures.toDay = toDay;
    const auto afterPeriod = [&](WallSeconds t) { return toDay && t >= *toDay + kSecondsPerDay; };
    const auto inPeriod = [&](WallSeconds t) { return (!fromDay || t >= *fromDay) && !afterPeriod(t); };

    std::vector<const ResultRow*> timed;
    for (const auto& row : rows) {
        if (row.time)
            timed.push_back(&row);
        else
            ++figures.unreadableTimes;
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const ResultRow* a, const ResultRow* b) { return *a->time < *b->time; });

    std::map<std::string, UnitHistory> units;
    std::vector<const ResultRow*> periodRows;
    for (size_t i = 0; i < timed.size(); ++i) {
        const ResultRow& row = *timed[i];
        if (afterPeriod(*row.time))
            break;
        auto [unit, isNew] = units.try_emplace(UnitKey(row, i));
        if (isNew) {
            unit->second.firstTime = *row.time;
            unit->second.firstPassed = row.passed;
        }
        unit->second.lastPassed = row.passed;
        if (inPeriod(*row.time))
            periodRows.push_back(&row);
    }
    std::vector<const UnitHistory*> firsts;
    for (const auto& [key, unit] : units) {
        if (!inPeriod(unit.firstTime))
            continue;
        firsts.push_back(&unit);
        ++figures.units;
        figures.firstPassUnits += unit.firstPassed;
        figures.finalPassUnits += unit.lastPassed;
    }
    std::stable_sort(firsts.begin(), firsts.end(),
                     [](const UnitHistory* a, const UnitHistory* b) { return a->firstTime < b->firstTime; });

    figures.rows = static_cast<int>(periodRows.size());
    for (const auto* row : periodRows)
        ++(row->passed ? figures.passRows : figures.failRows);
    figures.perDay = !periodRows.empty() && *periodRows.back()->time - *periodRows.front()->time > kLongestHourlySpan;
    figures.buckets = Buckets(firsts, figures.perDay ? kSecondsPerDay : kSecondsPerHour);
    figures.pareto = Pareto(periodRows);

    std::set<std::string> seen;
    for (size_t i = periodRows.size(); i-- > 0 && figures.recentFails.size() < kRecentFailedUnits;) {
        const ResultRow& row = *periodRows[i];
        if (row.passed || !seen.insert(UnitKey(row, i)).second)
            continue;
        figures.recentFails.push_back({*row.time, row.Sn(), row.Column(ColumnIndex("IMEI")),
                                       row.Column(ColumnIndex("ISREPAIR")) == "YES", FailedItemsOrNone(row)});
    }
    return figures;
}

std::string PeriodText(const YieldFigures& figures)
{
    if (figures.fromDay && figures.toDay)
        return WallDateText(*figures.fromDay) + " .. " + WallDateText(*figures.toDay);
    if (figures.fromDay)
        return "from " + WallDateText(*figures.fromDay);
    if (figures.toDay)
        return "up to " + WallDateText(*figures.toDay);
    return "all stored rows";
}

std::string BucketLabel(const YieldFigures& figures, const TimeBucket& bucket)
{
    return figures.perDay ? WallDateText(bucket.start) : WallTimeText(bucket.start).substr(0, 16);
}

std::string YieldText(const YieldFigures& f)
{
    std::string text = "Period: " + PeriodText(f) + "\n";
    text += "Rows stored: " + std::to_string(f.rows) + " (pass " + std::to_string(f.passRows) + ", fail " +
            std::to_string(f.failRows) + ")\n";
    if (f.unreadableTimes)
        text += "Rows left out, time unreadable: " + std::to_string(f.unreadableTimes) + "\n";
    text += "Units first tested: " + std::to_string(f.units) + "\n";
    text += "First-pass yield: " + Percent(f.FirstPassYield()) + " (" + std::to_string(f.firstPassUnits) + " of " +
            std::to_string(f.units) + ")\n";
    text += "Final yield: " + Percent(f.FinalYield()) + " (" + std::to_string(f.finalPassUnits) + " of " +
            std::to_string(f.units) + ")\n";
    text += std::string("\nUnits first tested per ") + (f.perDay ? "day" : "hour") + ":\n";
    for (const auto& bucket : f.buckets) {
        text += "  " + BucketLabel(f, bucket) + "  " + std::to_string(bucket.passed + bucket.failed) +
                " (passed first time " + std::to_string(bucket.passed) + ", failed " + std::to_string(bucket.failed) +
                ")\n";
    }
    text += "\nFailures by item:\n";
    int total = 0;
    for (const auto& item : f.pareto)
        total += item.failures;
    int cumulative = 0;
    for (const auto& item : f.pareto) {
        cumulative += item.failures;
        text += "  " + item.item + "  " + std::to_string(item.failures) + "  (cumulative " +
                Percent(100.0 * cumulative / total) + ")\n";
    }
    text += "\nMost recent failed units:\n";
    for (const auto& unit : f.recentFails) {
        std::string items;
        for (const auto& item : unit.items)
            items += (items.empty() ? "" : ", ") + item;
        text += "  " + WallTimeText(unit.time) + "  SN " + (unit.sn.empty() ? "-" : unit.sn) + "  IMEI " +
                (unit.imei.empty() ? "-" : unit.imei) + (unit.repair ? "  (repair)" : "") + "  " + items + "\n";
    }
    return text;
}
