#pragma once

#include <optional>
#include <string>
#include <vector>

// A bar chart of counts as inline SVG, for pages that must render without
// scripts or network access. Each drawn bar is a <rect class="bar"> with a
// <title> that tells its category, series and count.

struct BarSeries {
    std::string name;
    std::string colour;          // CSS colour, e.g. "#2e7d32"
    std::vector<int> values;     // one per category; stacked on earlier series
};

struct BarChart {
    std::string id;                       // the svg element's id
    std::string title;                    // the svg's accessible title
    std::vector<std::string> categories;  // x-axis labels, left to right
    std::vector<BarSeries> series;
    // A line over the bars on a 0..100 % scale at the right (a Pareto chart's
    // cumulative share), one point per category; empty: no line.
    std::vector<double> linePercent;
    std::string lineColour = "#37474f";
    // A vertical <line class="threshold"> across the plot at this position on
    // the category axis (0: left edge of the first slot, 1: its right edge);
    // none: no line. markerLabel is written beside it.
    std::optional<double> marker;
    std::string markerLabel;
};

// Geometry shared by the drawing and its tests.
namespace barchart {
inline constexpr int kPlotHeight = 240;
inline constexpr int kLeftMargin = 48;
inline constexpr int kRightMargin = 48;
inline constexpr int kTopMargin = 16;
inline constexpr int kBottomMargin = 96;  // room for slanted labels
inline constexpr int kMinSlotWidth = 28;
inline constexpr int kMinPlotWidth = 560;
inline constexpr int kTicks = 5;
}  // namespace barchart

// The top of the count axis: the smallest multiple of a 1-2-5 step (at least
// 1) that reaches the largest stacked total; its step comes with it.
struct CountAxis {
    int top = 1;
    int step = 1;
};
CountAxis ChooseCountAxis(int largestTotal);

std::string BarChartSvg(const BarChart& chart);

// Text made safe inside XML and HTML elements and attribute values.
std::string EscapeXml(const std::string& text);
