#pragma once

#include <string>

#include "tools/rurizuda-report/ItemDurations.h"
#include "tools/rurizuda-report/OperatorFigures.h"
#include "tools/rurizuda-report/SignalFigures.h"
#include "tools/rurizuda-report/YieldFigures.h"

// Bar colours of the report's charts.
namespace reportcolour {
inline constexpr const char* kPass = "#2e7d32";
inline constexpr const char* kFail = "#c62828";
inline constexpr const char* kPareto = "#ef6c00";
inline constexpr const char* kSignal = "#1565c0";
}  // namespace reportcolour

// Ids of the report's charts.
inline constexpr const char* kUnitsChartId = "units-chart";
inline constexpr const char* kParetoChartId = "pareto-chart";

// Everything one report page shows.
struct ReportPage {
    YieldFigures yield;
    std::vector<SignalFigures> measured;
    std::optional<std::vector<ItemDuration>> durations;  // none: no journals given
    int refreshSeconds = 0;  // the page reloads itself this often; 0 never
    std::optional<std::vector<OperatorFigures>> operators;  // none: no operator is recorded
};

// The yield report as one self-contained HTML page: styles and charts inline,
// no scripts, nothing fetched. `generated` is shown as the page's time.
std::string YieldHtml(const ReportPage& page, const std::string& generated);
