// The inline SVG bar chart of the yield report.
#include <gtest/gtest.h>

#include <regex>

#include "tools/rurizuda-report/SvgBarChart.h"

namespace {

struct Bar {
    double y;
    double height;
    std::string fill;
};

std::vector<Bar> Bars(const std::string& svg)
{
    static const std::regex rect(R"re(<rect class="bar" x="[-0-9.]+" y="([-0-9.]+)" width="[0-9.]+" height="([-0-9.]+)" fill="([^"]*)")re");
    std::vector<Bar> bars;
    for (std::sregex_iterator it(svg.begin(), svg.end(), rect), end; it != end; ++it)
        bars.push_back({std::stod((*it)[1]), std::stod((*it)[2]), (*it)[3]});
    return bars;
}

// The threshold line stands at the right edge of the threshold's own bar:
// values at or below it lie to its left.
TEST(SvgBarChart, ThresholdLineStandsAfterItsCategory)
{
    BarChart chart;
    chart.categories = {"28", "29", "30", "31"};
    chart.series = {{"values", "#1565c0", {1, 2, 3, 4}}};
    EXPECT_EQ(BarChartSvg(chart).find("class=\"threshold\""), std::string::npos);
    chart.marker = 3.0;
    chart.markerLabel = "threshold <30>";
    const std::string svg = BarChartSvg(chart);
    static const std::regex line(R"re(<line class="threshold" x1="([0-9.]+)" x2="([0-9.]+)")re");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(svg, found, line)) << svg;
    const double slot = barchart::kMinPlotWidth / 4.0;
    EXPECT_NEAR(std::stod(found[1]), barchart::kLeftMargin + 3 * slot, 0.1);
    EXPECT_EQ(found[1], found[2]);
    EXPECT_NE(svg.find("threshold &lt;30&gt;"), std::string::npos);
}

TEST(SvgBarChart, CountAxisEndsOnAOneTwoFiveStep)
{
    struct Case {
        int largest;
        int top;
        int step;
    };
    const Case cases[] = {{0, 1, 1}, {1, 1, 1}, {5, 5, 1}, {6, 6, 2}, {17, 20, 5}, {100, 100, 20}, {101, 150, 50}};
    for (const auto& c : cases) {
        const CountAxis axis = ChooseCountAxis(c.largest);
        EXPECT_EQ(axis.top, c.top) << c.largest;
        EXPECT_EQ(axis.step, c.step) << c.largest;
    }
}

TEST(SvgBarChart, StackedBarsAreProportionalAndEmptyOnesLeftOut)
{
    BarChart chart;
    chart.id = "c";
    chart.categories = {"08:00", "09:00", "10:00"};
    chart.series = {{"passed", "#00aa00", {2, 0, 1}}, {"failed", "#aa0000", {1, 3, 0}}};
    const std::string svg = BarChartSvg(chart);
    const auto bars = Bars(svg);
    ASSERT_EQ(bars.size(), 4u);
    const double unit = barchart::kPlotHeight / 3.0;  // the tallest stack, 3, fills the plot
    const double baseline = barchart::kTopMargin + barchart::kPlotHeight;
    EXPECT_NEAR(bars[0].height, 2 * unit, 0.1);
    EXPECT_NEAR(bars[0].y + bars[0].height, baseline, 0.1);
    EXPECT_EQ(bars[1].fill, "#aa0000");
    EXPECT_NEAR(bars[1].y + bars[1].height, bars[0].y, 0.1);  // stacked on the passed bar
    EXPECT_NEAR(bars[2].height, 3 * unit, 0.1);
    EXPECT_NEAR(bars[2].y, barchart::kTopMargin, 0.1);
    EXPECT_NEAR(bars[3].height, unit, 0.1);
    EXPECT_NE(svg.find("class=\"total\">3</text>"), std::string::npos);  // each stack's total above it
}

TEST(SvgBarChart, ParetoLineRisesToTheTopOfItsScale)
{
    BarChart chart;
    chart.categories = {"KEY TEST", "LED"};
    chart.series = {{"failures", "#ff8800", {3, 1}}};
    chart.linePercent = {75, 100};
    const std::string svg = BarChartSvg(chart);
    std::smatch points;
    ASSERT_TRUE(std::regex_search(svg, points, std::regex(R"re(class="line"[^>]*points="([^"]*)")re")));
    const std::string last = points[1].str().substr(points[1].str().rfind(',') + 1);
    EXPECT_NEAR(std::stod(last), barchart::kTopMargin, 0.1);
    EXPECT_NE(svg.find(">100%</text>"), std::string::npos);
}

TEST(SvgBarChart, TextsCannotBreakTheMarkup)
{
    BarChart chart;
    chart.id = "x\"y";
    chart.categories = {"<b>&'\x01"};
    chart.series = {{"a<b", "red", {1}}};
    const std::string svg = BarChartSvg(chart);
    EXPECT_NE(svg.find("&lt;b&gt;&amp;&#39; "), std::string::npos);
    EXPECT_EQ(svg.find("<b>"), std::string::npos);
    EXPECT_NE(svg.find("id=\"x&quot;y\""), std::string::npos);
    EXPECT_EQ(svg.find('\x01'), std::string::npos);
}

TEST(SvgBarChart, NoCategoriesGivesAnEmptyPlot)
{
    BarChart chart;
    const std::string svg = BarChartSvg(chart);
    EXPECT_TRUE(Bars(svg).empty());
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

}  // namespace
