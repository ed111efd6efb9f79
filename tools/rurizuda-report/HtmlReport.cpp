#include "tools/rurizuda-report/HtmlReport.h"

#include <cstdio>

#include "tools/rurizuda-report/StationSections.h"
#include "tools/rurizuda-report/SvgBarChart.h"

namespace {

constexpr const char* kStyle = R"(
body { font-family: "DejaVu Sans", Arial, sans-serif; margin: 24px; color: #263238; background: #fafafa; }
h1 { font-size: 22px; margin: 0 0 4px 0; }
h2 { font-size: 17px; margin: 28px 0 8px 0; }
.sub { color: #607d8b; font-size: 13px; }
.tiles { display: flex; gap: 16px; margin-top: 16px; flex-wrap: wrap; }
.tile { background: #fff; border: 1px solid #cfd8dc; border-radius: 6px; padding: 12px 20px; min-width: 170px; }
.tile .value { font-size: 34px; font-weight: bold; }
.tile .label { font-size: 13px; color: #607d8b; }
.good { color: #2e7d32; } .bad { color: #c62828; }
.chart { background: #fff; border: 1px solid #cfd8dc; border-radius: 6px; padding: 8px; overflow-x: auto; }
.legend span { display: inline-block; width: 12px; height: 12px; margin: 0 4px 0 12px; vertical-align: middle; }
table { border-collapse: collapse; background: #fff; }
th, td { border: 1px solid #cfd8dc; padding: 4px 10px; font-size: 13px; text-align: left; }
th { background: #eceff1; }
.empty { color: #607d8b; font-style: italic; }
.alert { background: #fff3e0; border: 1px solid #ef6c00; border-radius: 6px; padding: 8px 16px; margin-top: 16px; }
td.worst { background: #ffcdd2; font-weight: bold; }
.histograms { display: flex; gap: 12px; flex-wrap: wrap; }
)";

// Yields below this are shown in the failure colour.
constexpr double kYieldWarnPercent = 95.0;

std::string Tile(const std::string& value, const std::string& label, const std::string& cls = "")
{
    return "<div class=\"tile\"><div class=\"value " + cls + "\">" + EscapeXml(value) +
           "</div><div class=\"label\">" + EscapeXml(label) + "</div></div>";
}

std::string YieldTile(double percent, int count, int units, const std::string& label)
{
    const std::string cls = units == 0 ? "" : percent >= kYieldWarnPercent ? "good" : "bad";
    return Tile(units ? PercentText(percent) : "-", label + " (" + std::to_string(count) + " of " + std::to_string(units) + ")",
                cls);
}

std::string Legend(const char* colour, const char* text)
{
    return "<span style=\"background:" + std::string(colour) + "\"></span>" + text;
}

std::string UnitsChartTitle(const YieldFigures& f)
{
    return std::string("Units first tested per ") + (f.perDay ? "day" : "hour");
}

std::string UnitsChart(const YieldFigures& f)
{
    BarChart chart;
    chart.id = kUnitsChartId;
    chart.title = UnitsChartTitle(f);
    BarSeries passed{"passed first time", reportcolour::kPass, {}};
    BarSeries failed{"failed first time", reportcolour::kFail, {}};
    for (const auto& bucket : f.buckets) {
        chart.categories.push_back(BucketLabel(f, bucket));
        passed.values.push_back(bucket.passed);
        failed.values.push_back(bucket.failed);
    }
    chart.series = {passed, failed};
    return BarChartSvg(chart);
}

std::string ParetoChart(const YieldFigures& f)
{
    BarChart chart;
    chart.id = kParetoChartId;
    chart.title = "Failures by item";
    BarSeries failures{"failures", reportcolour::kPareto, {}};
    int total = 0;
    for (const auto& item : f.pareto)
        total += item.failures;
    int cumulative = 0;
    for (const auto& item : f.pareto) {
        chart.categories.push_back(item.item);
        failures.values.push_back(item.failures);
        cumulative += item.failures;
        chart.linePercent.push_back(100.0 * cumulative / total);
    }
    chart.series = {failures};
    return BarChartSvg(chart);
}

std::string RecentFailsTable(const YieldFigures& f)
{
    if (f.recentFails.empty())
        return "<p class=\"empty\">No failed unit in this period.</p>";
    std::string html = "<table><tr><th>Time</th><th>Station</th><th>SN</th><th>IMEI</th><th>Failed items</th></tr>";
    for (const auto& unit : f.recentFails) {
        std::string items;
        for (const auto& item : unit.items)
            items += (items.empty() ? "" : ", ") + item;
        html += "<tr><td>" + EscapeXml(WallTimeText(unit.time)) + "</td><td>" + EscapeXml(unit.station) +
                "</td><td>" + EscapeXml(unit.sn) +
                (unit.repair ? " (repair)" : "") + "</td><td>" + EscapeXml(unit.imei) + "</td><td>" +
                EscapeXml(items) + "</td></tr>";
    }
    return html + "</table>";
}

}  // namespace

std::string YieldHtml(const ReportPage& page, const std::string& generated)
{
    const YieldFigures& f = page.yield;
    std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">";
    if (page.refreshSeconds > 0)
        html += "<meta http-equiv=\"refresh\" content=\"" + std::to_string(page.refreshSeconds) + "\">";
    html += "<title>Yield report " + EscapeXml(PeriodText(f)) + "</title><style>" + kStyle + "</style></head><body>\n";
    html += "<h1>Yield report</h1><div class=\"sub\">Period: " + EscapeXml(PeriodText(f)) +
            " &middot; generated " + EscapeXml(generated) + "</div>\n";
    html += DriftAlertHtml(page.measured);
    html += "<div class=\"tiles\">";
    html += YieldTile(f.FirstPassYield(), f.firstPassUnits, f.units, "first-pass yield");
    html += YieldTile(f.FinalYield(), f.finalPassUnits, f.units, "final yield");
    html += Tile(std::to_string(f.units), "units first tested");
    html += Tile(std::to_string(f.rows), "rows stored (" + std::to_string(f.passRows) + " pass, " +
                                             std::to_string(f.failRows) + " fail)");
    html += "</div>\n";
    if (f.unreadableTimes) {
        html += "<p class=\"sub\">" + std::to_string(f.unreadableTimes) +
                " row(s) left out: their store time cannot be read.</p>\n";
    }
    html += "<h2>Stations</h2><div class=\"legend sub\">" + Legend(reportcolour::kPass, "passed first time") +
            Legend(reportcolour::kFail, "failed first time") +
            " &mdash; units counted at the station of their first row; line: final yield (right axis)</div>" +
            StationChartHtml(f) + StationTableHtml(f) + "\n";
    if (page.operators)
        html += "<h2>Operators</h2><div class=\"sub\">units counted for the operator of their first row</div>" +
                OperatorTableHtml(*page.operators) + "\n";
    html += "<h2>" + UnitsChartTitle(f) + "</h2><div class=\"legend sub\">" +
            Legend(reportcolour::kPass, "passed first time") + Legend(reportcolour::kFail, "failed first time") +
            " &mdash; each unit once, in the hour of its first stored row</div>";
    html += f.buckets.empty() ? "<p class=\"empty\">No rows stored in this period.</p>"
                              : "<div class=\"chart\">" + UnitsChart(f) + "</div>\n";
    html += "<h2>Failures by item</h2><div class=\"legend sub\">" + Legend(reportcolour::kPareto, "failed rows") +
            " &mdash; line: cumulative share (right axis)</div>";
    html += f.pareto.empty() ? "<p class=\"empty\">No failures in this period.</p>"
                             : "<div class=\"chart\">" + ParetoChart(f) + "</div>\n";
    html += "<h2>Failures by item and station</h2><div class=\"sub\">failed rows (share of the station's rows); "
            "the most failing cells marked</div>" + FailureMatrixHtml(f) + "\n";
    html += SignalSectionsHtml(page.measured);
    if (page.durations)
        html += "<h2>Item durations by station</h2>" + DurationTableHtml(*page.durations) + "\n";
    html += "<h2>Most recent failed units</h2>" + RecentFailsTable(f) + "\n</body></html>\n";
    return html;
}
