#pragma once

#include <string>
#include <vector>

#include "tools/rurizuda-report/ItemDurations.h"
#include "tools/rurizuda-report/SignalFigures.h"
#include "tools/rurizuda-report/YieldFigures.h"

// The report page's per-station sections: HTML fragments with inline SVG.

inline constexpr const char* kStationsChartId = "stations-chart";
// The most failing cells of the failure matrix that are marked.
inline constexpr size_t kWorstCells = 3;

// Units, first-pass and final yield per station: a table and a chart (units
// stacked by their first verdict, final yield as a line).
std::string StationTableHtml(const YieldFigures& figures);
std::string StationChartHtml(const YieldFigures& figures);

// Failed rows by item (rows) and station (columns), each cell with its share
// of the station's rows; the kWorstCells highest shares marked "worst".
std::string FailureMatrixHtml(const YieldFigures& figures);

// Per technology, one histogram per station with the threshold as a line.
// Chart ids: "signal-<column>-<n>", n counting the stations from 0.
std::string SignalSectionsHtml(const std::vector<SignalFigures>& measured);

// The drifting stations named for the top of the page; "" when none.
std::string DriftAlertHtml(const std::vector<SignalFigures>& measured);

// Each item's median and 95th percentile duration per station.
std::string DurationTableHtml(const std::vector<ItemDuration>& durations);
