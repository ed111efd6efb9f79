#include "tools/rurizuda-report/SvgBarChart.h"

#include <algorithm>
#include <cstdio>

using namespace barchart;

namespace {

constexpr int kNiceFactors[] = {1, 2, 5};
constexpr int kLabelFontPx = 11;
constexpr int kLabelSlantDegrees = -40;
constexpr const char* kAxisColour = "#90a4ae";
constexpr const char* kMarkerColour = "#6a1b9a";

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

int LargestTotal(const BarChart& chart)
{
    int largest = 0;
    for (size_t i = 0; i < chart.categories.size(); ++i) {
        int total = 0;
        for (const auto& series : chart.series)
            total += i < series.values.size() ? series.values[i] : 0;
        largest = std::max(largest, total);
    }
    return largest;
}

std::string Text(double x, double y, const std::string& anchor, const std::string& content,
                 const std::string& extra = "")
{
    return "<text x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" text-anchor=\"" + anchor + "\" font-size=\"" +
           std::to_string(kLabelFontPx) + "\"" + extra + ">" + EscapeXml(content) + "</text>";
}

}  // namespace

CountAxis ChooseCountAxis(int largestTotal)
{
    const double wanted = std::max(1.0, largestTotal / static_cast<double>(kTicks));
    int step = 1;
    for (int magnitude = 1;; magnitude *= 10) {
        const int* found = std::find_if(std::begin(kNiceFactors), std::end(kNiceFactors),
                                        [&](int f) { return f * magnitude >= wanted; });
        if (found != std::end(kNiceFactors)) {
            step = *found * magnitude;
            break;
        }
    }
    const int top = std::max(step, (largestTotal + step - 1) / step * step);
    return {top, step};
}

std::string EscapeXml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            // Control characters are not allowed in XML 1.0.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
                out += ' ';
            else
                out += c;
        }
    }
    return out;
}

std::string BarChartSvg(const BarChart& chart)
{
    const size_t n = chart.categories.size();
    const int plotWidth = std::max(kMinPlotWidth, static_cast<int>(n) * kMinSlotWidth);
    const int width = kLeftMargin + plotWidth + kRightMargin;
    const int height = kTopMargin + kPlotHeight + kBottomMargin;
    const double slot = n ? plotWidth / static_cast<double>(n) : plotWidth;
    const double barWidth = slot * 0.7;
    const double baseline = kTopMargin + kPlotHeight;
    const CountAxis axis = ChooseCountAxis(LargestTotal(chart));
    const auto yOf = [&](double count) { return baseline - count * kPlotHeight / axis.top; };

    std::string svg = "<svg id=\"" + EscapeXml(chart.id) + "\" width=\"" +
                      std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
                      std::to_string(width) + " " + std::to_string(height) + "\" role=\"img\">";
    svg += "<title>" + EscapeXml(chart.title) + "</title>";

    // Count axis with grid lines.
    for (int tick = 0; tick <= axis.top; tick += axis.step) {
        const double y = yOf(tick);
        svg += "<line x1=\"" + std::to_string(kLeftMargin) + "\" x2=\"" + std::to_string(kLeftMargin + plotWidth) +
               "\" y1=\"" + Number(y) + "\" y2=\"" + Number(y) + "\" stroke=\"" + kAxisColour +
               "\" stroke-width=\"" + (tick ? "0.5" : "1") + "\"/>";
        svg += Text(kLeftMargin - 6, y + 4, "end", std::to_string(tick));
    }

    for (size_t i = 0; i < n; ++i) {
        const double x = kLeftMargin + i * slot + (slot - barWidth) / 2;
        int below = 0;
        for (const auto& series : chart.series) {
            const int value = i < series.values.size() ? series.values[i] : 0;
            if (value <= 0)
                continue;
            const double top = yOf(below + value);
            svg += "<rect class=\"bar\" x=\"" + Number(x) + "\" y=\"" + Number(top) + "\" width=\"" +
                   Number(barWidth) + "\" height=\"" + Number(yOf(below) - top) + "\" fill=\"" +
                   EscapeXml(series.colour) + "\"><title>" +
                   EscapeXml(chart.categories[i] + ": " + std::to_string(value) + " " + series.name) +
                   "</title></rect>";
            below += value;
        }
        const double labelX = kLeftMargin + (i + 0.5) * slot;
        if (below > 0)
            svg += Text(labelX, yOf(below) - 4, "middle", std::to_string(below), " class=\"total\"");
        svg += Text(labelX, baseline + 14, "end", chart.categories[i],
                    " transform=\"rotate(" + std::to_string(kLabelSlantDegrees) + " " + Number(labelX) + " " +
                        Number(baseline + 14) + ")\"");
    }

    if (!chart.linePercent.empty()) {
        const auto yOfPercent = [&](double percent) { return baseline - percent * kPlotHeight / 100.0; };
        std::string points;
        for (size_t i = 0; i < chart.linePercent.size() && i < n; ++i) {
            const double x = kLeftMargin + (i + 0.5) * slot;
            points += (points.empty() ? "" : " ") + Number(x) + "," + Number(yOfPercent(chart.linePercent[i]));
            svg += "<circle class=\"point\" cx=\"" + Number(x) + "\" cy=\"" + Number(yOfPercent(chart.linePercent[i])) +
                   "\" r=\"3\" fill=\"" + EscapeXml(chart.lineColour) + "\"/>";
        }
        svg += "<polyline class=\"line\" fill=\"none\" stroke=\"" + EscapeXml(chart.lineColour) +
               "\" stroke-width=\"2\" points=\"" + points + "\"/>";
        for (int percent = 0; percent <= 100; percent += 100 / kTicks)
            svg += Text(kLeftMargin + plotWidth + 6, yOfPercent(percent) + 4, "start", std::to_string(percent) + "%");
    }
    if (chart.marker) {
        const double x = kLeftMargin + *chart.marker * slot;
        svg += "<line class=\"threshold\" x1=\"" + Number(x) + "\" x2=\"" + Number(x) + "\" y1=\"" +
               std::to_string(kTopMargin) + "\" y2=\"" + Number(baseline) + "\" stroke=\"" + kMarkerColour +
               "\" stroke-width=\"2\" stroke-dasharray=\"6 3\"/>";
        // Its label under the category labels, clear of the bar totals.
        svg += Text(x + 4, height - 6, "start", chart.markerLabel, std::string(" fill=\"") + kMarkerColour + "\"");
    }
    svg += "</svg>";
    return svg;
}
