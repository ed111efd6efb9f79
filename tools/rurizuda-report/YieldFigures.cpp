#include "tools/rurizuda-report/YieldFigures.h"

#include <algorithm>
#include <cstdio>
#include <future>
#include <map>
#include <limits>
#include <set>

#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/ReportQueries.h"

namespace {

constexpr WallSeconds kSecondsPerHour = 3600;
constexpr WallSeconds kSecondsPerDay = 24 * kSecondsPerHour;


void AddCounts(UnitCounts* into, const UnitCounts& counts)
{
    into->rows += counts.rows;
    into->passRows += counts.passRows;
    into->failRows += counts.failRows;
    into->units += counts.units;
    into->firstPassUnits += counts.firstPassUnits;
    into->finalPassUnits += counts.finalPassUnits;
}

// Rows per station, hour and verdict: row counts, failed items, and the rows
// without SN, each a unit of its own.
void CountRows(ReportDatabase& db, YieldFigures* figures, std::map<std::string, StationFigures>* stations,
               UnitsByHour* hours, std::pair<WallSeconds, WallSeconds>* span)
{
    // Grouped by the hour as stored, read and held against the period here:
    // one cheap expression per row instead of the whole store time.
    const std::string groups = "STATION, " + StoreHourSql();
    const auto inPeriod = [&](WallSeconds hour) {
        return (!figures->fromDay || hour >= *figures->fromDay) &&
               (!figures->toDay || hour < *figures->toDay + kSecondsPerDay);
    };
    db.Query("SELECT " + groups + ", PASSED, COUNT(*), SUM(CASE WHEN SN IS NULL OR SN = '' THEN 1 ELSE 0 END) FROM (" +
                 db.RowsSelect({"SN", "DTIME"}) + ") s GROUP BY " + groups + ", PASSED",
             [&](const SqlRow& row) {
                 const int count = static_cast<int>(CountOf(row[3]));
                 const auto hour = ParseStoreHour(TextOf(row[1]));
                 if (!hour) {
                     figures->unreadableTimes += count;
                     return true;
                 }
                 if (!inPeriod(*hour))
                     return true;
                 span->first = std::min(span->first, *hour);
                 span->second = std::max(span->second, *hour);
                 const bool passed = CountOf(row[2]) == 1;
                 const int withoutSn = static_cast<int>(CountOf(row[4]));
                 StationFigures& station = StationOf(stations, TextOf(row[0]));
                 station.rows += count;
                 (passed ? station.passRows : station.failRows) += count;
                 AddUnits(&station, withoutSn, passed, passed);
                 AddToHour(hours, *hour, withoutSn, passed);
                 return true;
             });
    // The failed items of the failed rows alone: the passed rows, most of
    // them, are not sorted with a column per item.
    std::string items = "SELECT " + groups;
    for (size_t i = 0; i < std::size(kItemColumns); ++i)
        items += ", SUM(" + ItemFailsSql(i) + ")";
    items += ", SUM(" + NoItemFailsSql() + ") FROM (" + db.RowsSelect({}) + ") s WHERE PASSED = 0 GROUP BY " + groups;
    db.Query(items, [&](const SqlRow& row) {
        const auto hour = ParseStoreHour(TextOf(row[1]));
        if (!hour || !inPeriod(*hour))
            return true;
        StationFigures& station = StationOf(stations, TextOf(row[0]));
        for (size_t i = 0; i < station.itemFailures.size(); ++i)
            station.itemFailures[i] += static_cast<int>(CountOf(row[2 + i]));
        return true;
    });
}

// Units with SN: the first and the last row of each up to the period's end,
// counted at the station of the first when that lies in the period.
void CountUnits(ReportDatabase& db, std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay,
                std::map<std::string, StationFigures>* stations, UnitsByHour* hours)
{
    // K: the store key, then 0 for a pass or 1 for a failure, then the station.
    const std::string flag = std::to_string(kStoreKeyLength + 1);
    const std::string station = std::to_string(kStoreKeyLength + 2);
    // Grouped by the first row's hour: the key up to its hour.
    const std::string hour = "substr(f, 1, " + std::to_string(kStoreKeyLength - 6) + ")";
    const std::string groups = "substr(f, " + station + "), " + hour + ", substr(f, " + flag + ", 1), substr(l, " +
                               flag + ", 1)";
    const std::string key = StoreKeySql(db) + " || CASE WHEN PASSED = 1 THEN '0' ELSE '1' END || STATION";
    std::string sql = "SELECT " + groups + ", COUNT(*) FROM (SELECT SN, MIN(K) AS f, MAX(K) AS l FROM (SELECT SN, " +
                      key + " AS K FROM (" + db.RowsSelect({"SN", "DTIME"}) + ") s WHERE SN <> ''" + db.FenceSql() +
                      ") k WHERE K IS NOT NULL";
    if (toDay)
        sql += " AND K < " + SqlText(StoreKeyOf(*toDay + kSecondsPerDay));
    sql += " GROUP BY SN) u";
    if (fromDay)
        sql += " WHERE f >= " + SqlText(StoreKeyOf(*fromDay));
    sql += " GROUP BY " + groups;
    db.Query(sql, [&](const SqlRow& row) {
        const auto start = ParseStoreKey(TextOf(row[1]) + ":00:00");
        if (!start)
            return true;
        const int units = static_cast<int>(CountOf(row[4]));
        const bool firstPassed = TextOf(row[2]) == "0";
        AddUnits(&StationOf(stations, TextOf(row[0])), units, firstPassed, TextOf(row[3]) == "0");
        AddToHour(hours, *start, units, firstPassed);
        return true;
    });
}

// The latest failed rows, one per unit.
std::vector<FailedUnit> RecentFails(ReportDatabase& db, const YieldFigures& figures)
{
    std::string sql = "SELECT T, STATION";
    for (auto column : kResultColumns)
        sql += "," + std::string(column);
    sql += " FROM " + TimedRowsSql(db, "PASSED = 0") + " WHERE " + InPeriodSql(figures.fromDay, figures.toDay) +
           " ORDER BY T DESC, ORD DESC";
    std::vector<FailedUnit> units;
    std::set<std::string> seen;
    db.Stream(sql, [&](const SqlRow& fields) {
        ReportRow row;
        for (size_t i = 0; i < kResultColumns.size(); ++i)
            row.columns[i] = TextOf(fields[2 + i]);
        if (!row.Sn().empty() && !seen.insert(row.Sn()).second)
            return true;
        auto items = FailedItems(row);
        if (items.empty())
            items.push_back(kNoItemRecorded);
        units.push_back({ParseWallTime(TextOf(fields[0])).value_or(0), row.Sn(), row.Column(ColumnIndex("IMEI")),
                         TextOf(fields[1]), row.Column(ColumnIndex("ISREPAIR")) == "YES", std::move(items)});
        return units.size() < kRecentFailedUnits;
    });
    return units;
}

std::vector<TimeBucket> Buckets(const UnitsByHour& hours, bool perDay)
{
    std::vector<TimeBucket> buckets;
    if (hours.empty())
        return buckets;
    const WallSeconds size = perDay ? kSecondsPerDay : kSecondsPerHour;
    const WallSeconds first = hours.begin()->first / size * size;
    const WallSeconds last = hours.rbegin()->first / size * size;
    for (WallSeconds start = first; start <= last; start += size)
        buckets.push_back({start, 0, 0});
    for (const auto& [hour, units] : hours) {
        auto& bucket = buckets[static_cast<size_t>((hour / size * size - first) / size)];
        bucket.passed += units.passed;
        bucket.failed += units.failed;
    }
    return buckets;
}

std::vector<ItemFailures> Pareto(const std::vector<StationFigures>& stations)
{
    std::vector<ItemFailures> counts;
    for (const auto& column : kItemColumns)
        counts.push_back({column.item, 0});
    counts.push_back({kNoItemRecorded, 0});
    for (const auto& station : stations) {
        for (size_t i = 0; i < counts.size(); ++i)
            counts[i].failures += station.itemFailures[i];
    }
    std::erase_if(counts, [](const ItemFailures& c) { return c.failures == 0; });
    std::stable_sort(counts.begin(), counts.end(),
                     [](const ItemFailures& a, const ItemFailures& b) { return a.failures > b.failures; });
    return counts;
}

}  // namespace

std::vector<TimeBucket> UnitBuckets(const std::map<WallSeconds, TimeBucket>& hours, bool perDay)
{
    return Buckets(hours, perDay);
}

std::vector<ItemFailures> ItemPareto(const std::vector<StationFigures>& stations)
{
    return Pareto(stations);
}

StationFigures& StationOf(std::map<std::string, StationFigures>* stations, const std::string& name)
{
    auto [entry, isNew] = stations->try_emplace(name);
    if (isNew) {
        entry->second.station = name;
        entry->second.itemFailures.assign(std::size(kItemColumns) + 1, 0);
    }
    return entry->second;
}

void AddUnits(UnitCounts* counts, int units, bool firstPassed, bool lastPassed)
{
    counts->units += units;
    counts->firstPassUnits += firstPassed ? units : 0;
    counts->finalPassUnits += lastPassed ? units : 0;
}

void AddToHour(UnitsByHour* hours, WallSeconds hour, int units, bool firstPassed)
{
    if (units == 0)
        return;
    TimeBucket& bucket = (*hours)[hour];
    bucket.start = hour;
    (firstPassed ? bucket.passed : bucket.failed) += units;
}

YieldFigures YieldFiguresOf(YieldTally tally)
{
    YieldFigures figures;
    figures.fromDay = tally.fromDay;
    figures.toDay = tally.toDay;
    figures.unreadableTimes = tally.unreadableTimes;
    figures.recentFails = std::move(tally.recentFails);
    for (const auto& [name, counted] : tally.unitStations)
        AddCounts(&StationOf(&tally.stations, name), counted);
    for (const auto& [start, counted] : tally.unitHours) {
        AddToHour(&tally.hours, start, counted.passed, true);
        AddToHour(&tally.hours, start, counted.failed, false);
    }
    for (auto& [name, station] : tally.stations) {
        AddCounts(&figures, station);
        figures.stations.push_back(std::move(station));
    }
    figures.perDay = figures.rows > 0 && tally.span.second - tally.span.first > kLongestHourlySpan;
    figures.buckets = Buckets(tally.hours, figures.perDay);
    figures.pareto = Pareto(figures.stations);
    return figures;
}

YieldFigures ComputeYield(ReportDatabase& db, ReportDatabase& unitsDb, std::optional<WallSeconds> fromDay,
                          std::optional<WallSeconds> toDay, const std::function<void()>& alongside)
{
    YieldTally tally;
    tally.fromDay = fromDay;
    tally.toDay = toDay;
    const auto units = [&] { CountUnits(unitsDb, fromDay, toDay, &tally.unitStations, &tally.unitHours); };
    std::future<void> unitsCounted;
    if (&unitsDb == &db)
        units();
    else
        unitsCounted = std::async(std::launch::async, units);
    // The period as CountRows and RecentFails read it.
    YieldFigures period;
    period.fromDay = fromDay;
    period.toDay = toDay;
    CountRows(db, &period, &tally.stations, &tally.hours, &tally.span);
    tally.unreadableTimes = period.unreadableTimes;
    tally.recentFails = RecentFails(db, period);
    if (alongside)
        alongside();
    if (unitsCounted.valid())
        unitsCounted.get();
    return YieldFiguresOf(std::move(tally));
}

YieldFigures ComputeYield(ReportDatabase& db, std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay)
{
    return ComputeYield(db, db, fromDay, toDay, {});
}

std::string PercentText(double value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.1f%%", value);
    return text;
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
    text += "First-pass yield: " + PercentText(f.FirstPassYield()) + " (" + std::to_string(f.firstPassUnits) + " of " +
            std::to_string(f.units) + ")\n";
    text += "Final yield: " + PercentText(f.FinalYield()) + " (" + std::to_string(f.finalPassUnits) + " of " +
            std::to_string(f.units) + ")\n";
    text += "\nStations (units, first-pass yield, final yield, rows):\n";
    for (const auto& s : f.stations) {
        text += "  " + s.station + "  " + std::to_string(s.units) + "  " + PercentText(s.FirstPassYield()) + "  " +
                PercentText(s.FinalYield()) + "  " + std::to_string(s.rows) + "\n";
    }
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
                PercentText(100.0 * cumulative / total) + ")\n";
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
