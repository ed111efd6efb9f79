// The yield report page opened in headless Chromium: it renders its charts
// with their bars and logs no script error. The screenshot stays in the build
// folder for a look.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/tools/ReportFixture.h"
#include "tools/rurizuda-report/HtmlReport.h"
#include "tools/rurizuda-report/StationSections.h"

namespace {

constexpr const char* kChromium = "/usr/bin/chromium";
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 1500;
constexpr int kChromiumTimeoutSeconds = 120;
// Colour management may shift a bar's colour a little.
constexpr int kColourTolerance = 8;
// A drawn bar in the screenshot covers far more pixels than this.
constexpr int kMinBarPixels = 150;

struct PageLoad {
    std::string dom;
    std::string log;
};

// Loads the page once: its DOM after loading, the browser's log, and a
// screenshot when `screenshot` is not empty.
PageLoad LoadPage(const std::filesystem::path& page, const std::filesystem::path& screenshot)
{
    const std::filesystem::path profile = std::filesystem::current_path() / "chromium-profile";
    const std::filesystem::path log = std::filesystem::current_path() / "chromium.log";
    std::filesystem::create_directories(profile);
    std::string command = "timeout " + std::to_string(kChromiumTimeoutSeconds) + " " + kChromium +
                          " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                          " --disable-background-networking --disable-component-update --disable-sync"
                          " --enable-logging=stderr --v=0 --hide-scrollbars"
                          " --user-data-dir='" + profile.string() + "'" +
                          " --window-size=" + std::to_string(kWindowWidth) + "," + std::to_string(kWindowHeight);
    if (!screenshot.empty())
        command += " --screenshot='" + screenshot.string() + "'";
    command += " --dump-dom 'file://" + page.string() + "' 2>'" + log.string() + "'";
    const ProgramRun run = RunProgram({"/bin/sh", "-c", command});
    EXPECT_EQ(run.status, 0) << ReadFileText(log);
    return {run.out, ReadFileText(log)};
}

// Console messages the page caused: script errors, failed loads.
std::vector<std::string> ConsoleLines(const std::string& log)
{
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (line.find(":CONSOLE") != std::string::npos)
            lines.push_back(line);
    }
    return lines;
}

int BarsOfChart(const std::string& dom, const std::string& id)
{
    const size_t start = dom.find("<svg id=\"" + id + "\"");
    if (start == std::string::npos)
        return 0;
    const std::string svg = dom.substr(start, dom.find("</svg>", start) - start);
    int bars = 0;
    for (size_t at = svg.find("<rect class=\"bar\""); at != std::string::npos; at = svg.find("<rect class=\"bar\"", at + 1))
        ++bars;
    return bars;
}

int PixelsOf(const QImage& image, const char* colour)
{
    const QColor want(colour);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor got = image.pixelColor(x, y);
            if (std::abs(got.red() - want.red()) <= kColourTolerance &&
                std::abs(got.green() - want.green()) <= kColourTolerance &&
                std::abs(got.blue() - want.blue()) <= kColourTolerance)
                ++count;
        }
    }
    return count;
}

class ReportBrowserTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(std::filesystem::exists(kChromium)) << "install the Debian package chromium"; }
    TempWorkDir dir_;
};

TEST_F(ReportBrowserTest, ThePageRendersBothChartsWithTheirBarsAndNoScriptError)
{
    WriteResultDbs(dir_.Path(), LineDayRows());
    const ProgramRun report = RunProgram({RURIZUDA_REPORT_PROGRAM, "yield", "--from", "2026-12-07", "--to",
                                          "2026-12-07", "--html", "report.html"});
    ASSERT_EQ(report.status, 0);
    const std::string html = ReadFileText("report.html");
    // Nothing to fetch: the page must open on a station without network.
    EXPECT_FALSE(std::regex_search(html, std::regex(R"((src|href)\s*=|url\(|@import|https?:|//)", std::regex::icase)));

    const std::filesystem::path screenshot = std::filesystem::path(REPORT_SCREENSHOT_DIR) / "yield-report.png";
    std::filesystem::create_directories(screenshot.parent_path());
    std::filesystem::remove(screenshot);
    const PageLoad load = LoadPage(dir_.Path() / "report.html", screenshot);
    EXPECT_EQ(ConsoleLines(load.log), std::vector<std::string>{});
    EXPECT_EQ(BarsOfChart(load.dom, kUnitsChartId), 5);   // new units: 08:00 both, 09:00 passed only, 10:00 both
    EXPECT_EQ(BarsOfChart(load.dom, kParetoChartId), 4);  // four failed items

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(screenshot.string()))) << screenshot;
    EXPECT_EQ(image.width(), kWindowWidth);
    EXPECT_GT(PixelsOf(image, reportcolour::kPass), kMinBarPixels);
    EXPECT_GT(PixelsOf(image, reportcolour::kFail), kMinBarPixels);
    EXPECT_GT(PixelsOf(image, reportcolour::kPareto), kMinBarPixels);
}

int Count(const std::string& text, const std::string& part)
{
    int found = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++found;
    return found;
}

TEST_F(ReportBrowserTest, StationSectionsShowTheirBarsTheThresholdAndMarkupAsText)
{
    const std::string station = "st<b>&1";  // the folder names the station
    std::filesystem::create_directory(station);
    auto rows = LineDayRows();
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i].columns["RSSI2G"] = std::to_string(28 + static_cast<int>(i % 5));
    rows.push_back({false, "Mon Dec  7 10:30:00 2026\n", "<script>x</script>", {{"KAVOKEY", "FAIL"}}});
    WriteResultDbs(station, rows);
    const ProgramRun report = RunProgram({RURIZUDA_REPORT_PROGRAM, "yield", "--from", "2026-12-07", "--to", "2026-12-07",
                                          "--threshold-2g", "30", "--html", "report.html", station + "/PASS.mdb",
                                          station + "/FAIL.mdb"});
    ASSERT_EQ(report.status, 0);
    const PageLoad load = LoadPage(dir_.Path() / "report.html", {});
    EXPECT_EQ(ConsoleLines(load.log), std::vector<std::string>{});
    EXPECT_EQ(BarsOfChart(load.dom, kStationsChartId), 2);  // one station: passed and failed first time
    EXPECT_EQ(BarsOfChart(load.dom, "signal-RSSI2G-0"), 5);  // values 28..32
    EXPECT_EQ(Count(load.dom, "<line class=\"threshold\""), 1);
    EXPECT_EQ(Count(load.dom, "<script"), 0);
    EXPECT_GT(Count(load.dom, "&lt;script&gt;x&lt;/script&gt;"), 0);
    EXPECT_GT(Count(load.dom, "st&lt;b&gt;&amp;1"), 0);
    EXPECT_EQ(Count(load.dom, "class=\"worst\""), 3);
}

// The checks above would see a broken page: a script error is logged and a
// chart without bars counts none.
TEST_F(ReportBrowserTest, ABrokenPageIsSeenAsBroken)
{
    {
        std::ofstream("broken.html") << "<!DOCTYPE html><html><body><svg id=\"" << kUnitsChartId
                                     << "\"></svg><script>undefinedFunction();</script></body></html>";
    }
    const PageLoad load = LoadPage(dir_.Path() / "broken.html", {});
    EXPECT_EQ(ConsoleLines(load.log).size(), 1u) << load.log;
    EXPECT_EQ(BarsOfChart(load.dom, kUnitsChartId), 0);
}

}  // namespace
