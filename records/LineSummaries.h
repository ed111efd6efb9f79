#pragma once

#include <functional>
#include <iterator>
#include <string>

#include <pqxx/pqxx>

// The line database's summary tables: the figures of the supervisor's page
// kept current by triggers on SNTable, inside the transaction of every row
// stored, changed or deleted (also by hand in psql), so that a page reads
// what changed instead of every row ever stored.
//
// rurizuda_unit_rows   per unit (SN) and station: the time and verdict of
//                      its first row and of its last row there
// rurizuda_units       per unit over every station: the time, verdict and
//                      station of its first row, the time and verdict of its
//                      last
// rurizuda_hour_rows   per hour and station: passed and failed rows, and
//                      those of them without SN (each a unit of its own)
// rurizuda_hour_items  per hour, station and item: failed rows
// rurizuda_day_signals per day, station, technology and value: rows
// rurizuda_hour_units  per hour, station, first and last verdict: the units
//                      whose first row over every station is of that hour
//                      and station (kept by a trigger on rurizuda_units)
// rurizuda_hour_station_units  the same per station, from its own entries
//                      (kept by a trigger on rurizuda_unit_rows)
//
// The store time is DTIME read as a wall-clock timestamp by the SQL function
// rurizuda_store_time(DTIME) (NULL when DTIME is not a ctime text); rows it
// cannot read are kept under the hour and day '-infinity'. Indexes on the
// store time of the failed rows, over the line and per station, serve the
// most recent failures, an index on SN the units that need their own rows
// read again, and indexes on the entries of units retested later than their
// first row find those that a period ending in the past counts with another
// last verdict.

// The summary tables' names.
inline constexpr const char* kUnitSummary = "rurizuda_unit_rows";
inline constexpr const char* kLineUnitSummary = "rurizuda_units";
inline constexpr const char* kHourSummary = "rurizuda_hour_rows";
inline constexpr const char* kItemSummary = "rurizuda_hour_items";
inline constexpr const char* kSignalSummary = "rurizuda_day_signals";
inline constexpr const char* kHourUnitSummary = "rurizuda_hour_units";
inline constexpr const char* kHourStationUnitSummary = "rurizuda_hour_station_units";

// rurizuda_signal_value's value for a signal number outside -200..200, kept
// apart from the bins (the same number stands in the SQL function).
inline constexpr int kSignalOutOfRangeValue = 1000;

// The advisory lock (session level) under which a station creates the
// table and the summaries, and the report rebuilds them.
inline constexpr long long kLineSchemaLockKey = 0x52555249'5A554441LL;

// The item columns whose failures are counted, in the order of the report's
// items: a row failed an item when the column holds any text but `pass`.
// A failed row without any such text counts under kNoItemSummary.
struct SummaryItem {
    const char* column;
    const char* pass;
};
inline constexpr SummaryItem kSummaryItems[] = {
    {"SIM", "SIM inserted"}, {"SD", "SD inserted"}, {"KAVOKEY", "PASS"},  {"OLED", "PASS"},
    {"LED", "PASS"},         {"GSMCALDATA", "PASS"}, {"TDCALDATA", "PASS"}, {"LTECALDATA", "PASS"},
    {"WCDMACALDATA", "PASS"}, {"WIFI", "PASS"},     {"RSSIRESULT", "PASS"}, {"CHARGER", "PASS"},
    {"USBMODE", "PASS"},     {"LOCKPN", "LOCK SUCCESS"}, {"ISLOCKPN", "PASS"}, {"ISLINUXUSBMODE", "PASS"},
};
inline constexpr int kNoItemSummary = static_cast<int>(std::size(kSummaryItems));

// Tables up to this many rows get their summaries built by a station's
// store, well within the store's deadline; larger ones by
// `rurizuda-report rebuild`.
inline constexpr long kLargestTableBuiltByStore = 20'000;

// True when the summaries exist on the database `work` runs on.
bool LineSummariesExist(pqxx::transaction_base& work);

// Creates the summaries, their triggers and indexes and fills them from
// the rows stored so far, all within `work`, after taking a lock on SNTable
// that every store's insert takes too: a store either committed before the
// build read the rows, or stores after it through the new trigger; none is
// counted twice or left out. `step` is told the name of each step begun.
void BuildLineSummaries(pqxx::transaction_base& work, const std::function<void(const std::string&)>& step = {});

// Removes the summaries, their triggers and indexes (within `work`).
void DropLineSummaries(pqxx::transaction_base& work);

// For a station's first store: builds the summaries within `work` when they
// are missing and SNTable holds at most kLargestTableBuiltByStore rows.
// True when they exist afterwards.
bool EnsureLineSummaries(pqxx::transaction_base& work);
