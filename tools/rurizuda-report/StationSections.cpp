#include "tools/rurizuda-report/StationSections.h"

#include <algorithm>
#include <tuple>

#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/HtmlReport.h"
#include "tools/rurizuda-report/SvgBarChart.h"

namespace {

// Histograms with more values than this put several values in one bar.
constexpr int kMostBins = 40;

std::string Cell(const std::string& text, const std::string& cls = "")
{
    return (cls.empty() ? "<td>" : "<td class=\"" + cls + "\">") + EscapeXml(text) + "</td>";
}

std::string HeaderRow(const std::vector<std::string>& names)
{
    std::string html = "<tr>";
    for (const auto& name : names)
        html += "<th>" + EscapeXml(name) + "</th>";
    return html + "</tr>";
}

std::string Empty(const std::string& text)
{
    return "<p class=\"empty\">" + EscapeXml(text) + "</p>";
}

std::string ItemName(size_t index)
{
    return index < std::size(kItemColumns) ? kItemColumns[index].item : kNoItemRecorded;
}

double Share(int part, int whole)
{
    return whole ? 100.0 * part / whole : 0.0;
}

// The bars of one histogram over [low, high] in bins of `width`.
BarChart Histogram(const std::string& id, const SignalHistogram& histogram, int low, int high, int width)
{
    BarChart chart;
    chart.id = id;
    chart.title = histogram.station;
    BarSeries units {"units", reportcolour::kSignal, {}};
    for (int start = low; start <= high; start += width) {
        chart.categories.push_back(width == 1 ? std::to_string(start)
                                              : std::to_string(start) + ".." + std::to_string(start + width - 1));
        int count = 0;
        for (auto it = histogram.counts.lower_bound(start); it != histogram.counts.end() && it->first < start + width;
             ++it)
            count += it->second;
        units.values.push_back(count);
    }
    chart.series = {units};
    return chart;
}

// " · 3 out of range" beside a chart whose values were not all plausible.
std::string OutOfRangeText(const SignalHistogram& histogram)
{
    if (histogram.outOfRange == 0)
        return "";
    return " \u00b7 " + std::to_string(histogram.outOfRange) + " out of range (outside " +
           std::to_string(kLowestSignal) + ".." + std::to_string(kHighestSignal) + ")";
}

}  // namespace

std::string StationTableHtml(const YieldFigures& f)
{
    if (f.stations.empty())
        return Empty("No rows stored in this period.");
    std::string html = "<table class=\"stations\">" +
                       HeaderRow({"Station", "Units", "First-pass yield", "Final yield", "Rows (pass, fail)"});
    for (const auto& s : f.stations) {
        html += "<tr>" + Cell(s.station) + Cell(std::to_string(s.units)) +
                Cell(s.units ? PercentText(s.FirstPassYield()) : "-") + Cell(s.units ? PercentText(s.FinalYield()) : "-") +
                Cell(std::to_string(s.rows) + " (" + std::to_string(s.passRows) + ", " + std::to_string(s.failRows) + ")") +
                "</tr>";
    }
    return html + "</table>";
}

std::string StationChartHtml(const YieldFigures& f)
{
    if (f.stations.empty())
        return "";
    BarChart chart;
    chart.id = kStationsChartId;
    chart.title = "Units per station";
    BarSeries passed {"passed first time", reportcolour::kPass, {}};
    BarSeries failed {"failed first time", reportcolour::kFail, {}};
    for (const auto& s : f.stations) {
        chart.categories.push_back(s.station);
        passed.values.push_back(s.firstPassUnits);
        failed.values.push_back(s.units - s.firstPassUnits);
        chart.linePercent.push_back(s.FinalYield());
    }
    chart.series = {passed, failed};
    return "<div class=\"chart\">" + BarChartSvg(chart) + "</div>";
}

std::string FailureMatrixHtml(const YieldFigures& f)
{
    std::vector<size_t> items;  // those that failed anywhere
    for (size_t i = 0; i <= std::size(kItemColumns); ++i) {
        if (std::any_of(f.stations.begin(), f.stations.end(), [&](const auto& s) { return s.itemFailures[i] > 0; }))
            items.push_back(i);
    }
    if (items.empty())
        return Empty("No failures in this period.");
    // The kWorstCells highest shares; ties go to the earlier item and station.
    std::vector<std::tuple<double, size_t, size_t>> cells;  // share, row, station
    for (size_t row = 0; row < items.size(); ++row) {
        for (size_t n = 0; n < f.stations.size(); ++n) {
            const StationFigures& s = f.stations[n];
            if (s.itemFailures[items[row]] > 0)
                cells.emplace_back(Share(s.itemFailures[items[row]], s.rows), row, n);
        }
    }
    std::stable_sort(cells.begin(), cells.end(),
                     [](const auto& a, const auto& b) { return std::get<0>(a) > std::get<0>(b); });
    cells.resize(std::min(cells.size(), kWorstCells));
    const auto isWorst = [&](size_t row, size_t n) {
        return std::any_of(cells.begin(), cells.end(),
                           [&](const auto& c) { return std::get<1>(c) == row && std::get<2>(c) == n; });
    };

    std::vector<std::string> header = {"Item"};
    for (const auto& s : f.stations)
        header.push_back(s.station);
    std::string html = "<table class=\"matrix\">" + HeaderRow(header);
    for (size_t row = 0; row < items.size(); ++row) {
        html += "<tr>" + Cell(ItemName(items[row]));
        for (size_t n = 0; n < f.stations.size(); ++n) {
            const int failures = f.stations[n].itemFailures[items[row]];
            html += failures == 0 ? Cell("")
                                  : Cell(std::to_string(failures) + " (" +
                                             PercentText(Share(failures, f.stations[n].rows)) + ")",
                                         isWorst(row, n) ? "worst" : "");
        }
        html += "</tr>";
    }
    return html + "</table>";
}

std::string SignalSectionsHtml(const std::vector<SignalFigures>& measured)
{
    std::string html;
    for (const auto& signal : measured) {
        html += "<h2>" + EscapeXml(signal.name) + " by station</h2>";
        if (signal.line.rows == 0) {
            html += Empty("No " + signal.name + " values stored in this period." + OutOfRangeText(signal.line));
            continue;
        }
        // Every value here lies within the plausible range, and so do the
        // bounds: the bins cannot overflow. A threshold outside the range
        // widens the chart to the range's end.
        int low = signal.line.counts.begin()->first;
        int high = signal.line.counts.rbegin()->first;
        if (signal.threshold) {
            low = std::min(low, std::clamp(*signal.threshold, kLowestSignal, kHighestSignal));
            high = std::max(high, std::clamp(*signal.threshold, kLowestSignal, kHighestSignal));
        }
        const int width = std::max(1, (high - low + kMostBins) / kMostBins);
        html += "<div class=\"sub\">Line median " + std::to_string(*signal.line.median);
        if (signal.threshold) {
            html += " &middot; threshold " + std::to_string(*signal.threshold) + ": " +
                    PercentText(signal.line.ShareAtOrBelow()) + " of the line at or below it";
        }
        html += EscapeXml(OutOfRangeText(signal.line)) + "</div><div class=\"histograms\">";
        for (size_t n = 0; n < signal.stations.size(); ++n) {
            const SignalHistogram& station = signal.stations[n];
            BarChart chart = Histogram("signal-" + signal.column + "-" + std::to_string(n), station, low, high, width);
            if (signal.threshold && *signal.threshold >= low && *signal.threshold <= high) {
                chart.marker = static_cast<double>(*signal.threshold - low) / width + 1.0;
                chart.markerLabel = "threshold " + std::to_string(*signal.threshold) + ": " +
                                    PercentText(station.ShareAtOrBelow()) + " at or below";
            }
            const std::string median = station.median ? ", median " + std::to_string(*station.median) : "";
            html += "<div class=\"chart\"><div class=\"sub\">" + EscapeXml(station.station) + " &middot; " +
                    std::to_string(station.rows) + " values" + median + EscapeXml(OutOfRangeText(station)) +
                    "</div>" + BarChartSvg(chart) + "</div>";
        }
        html += "</div>";
    }
    return html;
}

std::string DriftAlertHtml(const std::vector<SignalFigures>& measured)
{
    const auto notes = DriftNotes(measured);
    if (notes.empty())
        return "";
    std::string html = "<div class=\"alert\"><strong>Signal drift:</strong><ul>";
    for (const auto& note : notes)
        html += "<li>" + EscapeXml(note) + "</li>";
    return html + "</ul></div>";
}

std::string DurationTableHtml(const std::vector<ItemDuration>& durations)
{
    if (durations.empty())
        return Empty("No item durations in the journals of this period.");
    std::string html = "<table class=\"durations\">" +
                       HeaderRow({"Station", "Item", "Runs", "Median ms", "95th percentile ms"});
    for (const auto& d : durations) {
        html += "<tr>" + Cell(d.station) + Cell(d.item) + Cell(std::to_string(d.runs)) +
                Cell(std::to_string(d.medianMs)) + Cell(std::to_string(d.p95Ms)) + "</tr>";
    }
    return html + "</table>";
}
