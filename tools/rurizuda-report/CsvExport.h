#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ResultRows.h"

// One CSV field after RFC 4180: quoted when it holds a quote, a comma, a
// carriage return or a line feed, with its quotes doubled.
std::string CsvField(const std::string& value);

// The rows as RFC 4180 CSV: a header line, then one record per row, every line
// ended by CR LF. Columns: RESULT (PASS or FAIL, the file the row came from),
// TIME (DTIME as YYYY-MM-DD HH:MM:SS, "" when unreadable), then every column
// of the table as stored (DTIME with its line feed).
void WriteCsv(std::ostream& out, const std::vector<ResultRow>& rows);
