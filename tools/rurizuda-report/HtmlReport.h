#pragma once

#include <string>

#include "tools/rurizuda-report/YieldFigures.h"

// Bar colours of the report's charts.
namespace reportcolour {
inline constexpr const char* kPass = "#2e7d32";
inline constexpr const char* kFail = "#c62828";
inline constexpr const char* kPareto = "#ef6c00";
}  // namespace reportcolour

// Ids of the report's charts.
inline constexpr const char* kUnitsChartId = "units-chart";
inline constexpr const char* kParetoChartId = "pareto-chart";

// The yield report as one self-contained HTML page: styles and charts inline,
// no scripts, nothing fetched. `generated` is shown as the page's time.
std::string YieldHtml(const YieldFigures& figures, const std::string& generated);
