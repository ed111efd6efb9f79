#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ReportDatabase.h"
#include "tools/rurizuda-report/ResultRows.h"

// One CSV field after RFC 4180: quoted when it holds a quote, a comma, a
// carriage return or a line feed, with its quotes doubled.
std::string CsvField(const std::string& value);

// The stored rows whose day lies within [fromDay, toDay] as RFC 4180 CSV,
// oldest first (rows without a readable time last, and only when both ends
// are open): a header line, then one record per row, every line ended by
// CR LF. Columns: RESULT (PASS or FAIL), TIME (DTIME as YYYY-MM-DD HH:MM:SS,
// "" when unreadable), every column of the table as stored (DTIME with its
// line feed), and for the line-wide database STATION. Rows are streamed from
// the engine, never all held. Throws ReportError.
void WriteCsv(std::ostream& out, ReportDatabase& db, std::optional<WallSeconds> fromDay,
              std::optional<WallSeconds> toDay);
