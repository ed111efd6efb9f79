#pragma once

#include <optional>
#include <string>

#include "tools/rurizuda-report/ReportDatabase.h"
#include "tools/rurizuda-report/ResultRows.h"

// SQL pieces shared by the report's queries.

// A FROM item "timed": the source's rows with T, the store time as
// "YYYY-MM-DD HH:MM:SS" read from DTIME's ctime text (NULL when DTIME is not
// one), computed once per row.
// `only`, when given, keeps just the rows it holds true for before any
// time is read (a condition on the source's columns).
// `columns` as for RowsSelect; DTIME is always read.
std::string TimedRowsSql(const ReportDatabase& db, const std::string& only = "",
                         const std::vector<std::string>& columns = {});

// The store time as a key that sorts like the time, cheaper to build than T:
// "YYYY" + the month's place in a list of names + "dd hh:mm:ss" as stored,
// the day's padding blank read as a zero;
// NULL when DTIME is not a ctime text. StoreKeySql(...) >= StoreKeyOf(t)
// holds for the times from t on.
std::string StoreKeySql(const ReportDatabase& db);
std::string StoreKeyOf(WallSeconds t);
std::optional<WallSeconds> ParseStoreKey(const std::string& key);
inline constexpr size_t kStoreKeyLength = 18;

// The condition that T lies within the days [fromDay, toDay] (either end may
// be open; true for every timed row when both are).
std::string InPeriodSql(std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay);

// The condition that T lies before the end of toDay (true when open).
std::string BeforePeriodEndSql(std::optional<WallSeconds> toDay);

// The expression that is 1 when the item column holds a failing text, else 0.
std::string ItemFailsSql(size_t itemIndex);

// 1 for a failed row without any failing item column, else 0.
std::string NoItemFailsSql();

// DTIME with its minutes and seconds left out: "Mon Dec  7 08 2026" and the
// rest of the text, the hour of the store as the table holds it.
std::string StoreHourSql();

// The start of the hour a StoreHourSql value names; nothing when it is not
// the hour of a ctime text.
std::optional<WallSeconds> ParseStoreHour(const std::string& hour);

// "YYYY-MM-DD HH:MM:SS" (or a prefix of it down to the hour) as wall seconds.
std::optional<WallSeconds> ParseWallTime(const std::string& text);
