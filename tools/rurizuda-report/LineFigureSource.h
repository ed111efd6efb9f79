#pragma once

#include <memory>

#include "tools/rurizuda-report/FigureSource.h"
#include "tools/rurizuda-report/ReportOptions.h"

// The page's figures from the summary tables of the line-wide database
// (--db URL, --station NAME...), which the stations' triggers keep current:
// each Compute reads what the period and stations need from the summaries
// (for the whole line or one station the counts of the period's hours; for
// several stations the entries of the period's units at those stations),
// and the rows themselves only for the most recent failures (through the
// indexes on the failed rows' store time) and for units retested after the
// period's end (through the SN index). All of one Compute is read in one
// snapshot. The session is kept from one Compute to the next and opened
// again after it was lost. Throws ReportError when the URL carries a
// password.
std::unique_ptr<FigureSource> OpenLineFigures(const ReportOptions& options);
