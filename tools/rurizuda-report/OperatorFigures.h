#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ReportOptions.h"

// Units and first-pass yield per operator, from the line database: a unit
// counts for the operator on its first row, as it counts at the station of
// its first row.
//
// The units are those first stored within the page's period, read from the
// unit summary through its index on the first row's time; each unit's
// first row is then found through SNTable's index on SN and station. The
// work grows with the units of the period, not with the rows ever stored,
// so a day's page stays cheap on a table of 10^7 rows. Rows without SN are
// not units of an operator and are left out.

struct OperatorFigures {
    std::string badge;  // "" for units stored without sign-in
    int units = 0;
    int firstPassUnits = 0;

    double FirstPassYield() const { return units ? 100.0 * firstPassUnits / units : 0.0; }
};

// The query over the period and stations of `options`: badge, units,
// first-pass units, by badge.
std::string OperatorFiguresSql(const ReportOptions& options);

// The figures per operator, by badge; nothing when the options name no line
// database, or it has no summaries or no operator column (no station signs
// operators in). Throws ReportError.
std::optional<std::vector<OperatorFigures>> ReadOperatorFigures(const ReportOptions& options);

// The page's table of the operators.
std::string OperatorTableHtml(const std::vector<OperatorFigures>& operators);
