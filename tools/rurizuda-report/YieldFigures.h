#pragma once

#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ReportDatabase.h"
#include "tools/rurizuda-report/ResultRows.h"

// The figures of a yield report over a period of days.

inline constexpr size_t kRecentFailedUnits = 10;
// Periods longer than this are charted per day instead of per hour.
inline constexpr WallSeconds kLongestHourlySpan = 72 * 3600;

struct TimeBucket {
    WallSeconds start = 0;  // the hour's (or day's) first second
    int passed = 0;         // units first stored in it whose first row passed
    int failed = 0;         // ... whose first row failed
};

struct ItemFailures {
    std::string item;
    int failures = 0;
};

struct FailedUnit {
    WallSeconds time = 0;
    std::string sn;
    std::string imei;
    std::string station;
    bool repair = false;             // stored in maintenance mode
    std::vector<std::string> items;  // its failed items
};

// The name under which a failed row without any failed item column counts.
inline constexpr const char* kNoItemRecorded = "(no failed item stored)";

// Rows and units counted over one station or the whole line.
struct UnitCounts {
    int rows = 0;  // rows stored within the period
    int passRows = 0;
    int failRows = 0;
    int units = 0;           // units (by SN) first stored within the period
    int firstPassUnits = 0;  // ... whose first row is a pass
    int finalPassUnits = 0;  // ... whose last row up to the period's end is a pass

    double FirstPassYield() const { return units ? 100.0 * firstPassUnits / units : 0.0; }
    double FinalYield() const { return units ? 100.0 * finalPassUnits / units : 0.0; }
};

// One station's figures. A unit counts at the station of its first row.
struct StationFigures : UnitCounts {
    std::string station;
    // Failed rows per item: one per kItemColumns, then kNoItemRecorded.
    std::vector<int> itemFailures;
};

struct YieldFigures : UnitCounts {
    std::optional<WallSeconds> fromDay;
    std::optional<WallSeconds> toDay;
    int unreadableTimes = 0;  // rows whose DTIME cannot be read: left out
    bool perDay = false;      // buckets are days, not hours
    std::vector<TimeBucket> buckets;     // every hour (day) from the first unit's first row to the last's
    std::vector<ItemFailures> pareto;    // failed rows per item, most first
    std::vector<FailedUnit> recentFails; // most recent first, one per unit, at most kRecentFailedUnits
    std::vector<StationFigures> stations;  // by name
};

// Units of one hour (day) by the verdict of their first row.
using UnitsByHour = std::map<WallSeconds, TimeBucket>;

// What a source counts before the figures are drawn from it.
struct YieldTally {
    std::optional<WallSeconds> fromDay;
    std::optional<WallSeconds> toDay;
    // Per station: rows of the period, their verdicts and failed items, and
    // the rows without SN (each a unit), with those units per hour.
    std::map<std::string, StationFigures> stations;
    UnitsByHour hours;
    // Units with SN, at the station and in the hour of their first row.
    std::map<std::string, StationFigures> unitStations;
    UnitsByHour unitHours;
    // The first and the last hour with rows in the period.
    std::pair<WallSeconds, WallSeconds> span {std::numeric_limits<WallSeconds>::max(), 0};
    int unreadableTimes = 0;
    std::vector<FailedUnit> recentFails;
};

// The figures of a tally: totals, buckets, Pareto order.
YieldFigures YieldFiguresOf(YieldTally tally);

// The station's entry in `stations`, made with a zero per item when new.
StationFigures& StationOf(std::map<std::string, StationFigures>* stations, const std::string& name);

// Counts `units` units with the verdicts of their first and last row.
void AddUnits(UnitCounts* counts, int units, bool firstPassed, bool lastPassed);

// Counts `units` units first stored in `hour` (none: nothing changes).
void AddToHour(UnitsByHour* hours, WallSeconds hour, int units, bool firstPassed);

// Figures over the rows of `db`, computed by its engine. Rows without SN
// cannot be matched to earlier tests; each counts as a unit of its own.
// Throws ReportError.
YieldFigures ComputeYield(ReportDatabase& db, std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay);

// The same with the grouping per unit, the heaviest query, run on `unitsDb`
// (a second connection to the same source) in a thread of its own while the
// other queries run on `db`, and `alongside` after them on this thread.
YieldFigures ComputeYield(ReportDatabase& db, ReportDatabase& unitsDb, std::optional<WallSeconds> fromDay,
                          std::optional<WallSeconds> toDay, const std::function<void()>& alongside);

// Every hour (day) from the first of `hours` to the last, with the units
// first stored in each: the buckets of a page's chart.
std::vector<TimeBucket> UnitBuckets(const std::map<WallSeconds, TimeBucket>& hours, bool perDay);

// The failed rows per item over all stations, most first, items without
// failures left out.
std::vector<ItemFailures> ItemPareto(const std::vector<StationFigures>& stations);

// The figures as plain text.
std::string YieldText(const YieldFigures& figures);

// "66.7%"
std::string PercentText(double value);

// "2026-12-07 .. 2026-12-08", "from 2026-12-07", "all stored rows".
std::string PeriodText(const YieldFigures& figures);

// "2026-12-07 08:00" for an hour bucket, "2026-12-07" for a day.
std::string BucketLabel(const YieldFigures& figures, const TimeBucket& bucket);
