// Rules of the page's sections and of the values they read, one test each.
#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TempDir.h"
#include "tests/tools/ReportFixture.h"
#include "tools/rurizuda-report/FailedItems.h"
#include "tools/rurizuda-report/ItemDurations.h"
#include "tools/rurizuda-report/SignalFigures.h"
#include "tools/rurizuda-report/SqliteReportDatabase.h"
#include "tools/rurizuda-report/StationSections.h"

namespace {

StationFigures Station(const std::string& name, int units, int firstPass, int finalPass)
{
    StationFigures s;
    s.station = name;
    s.units = units;
    s.firstPassUnits = firstPass;
    s.finalPassUnits = finalPass;
    s.rows = units;
    s.itemFailures.assign(std::size(kItemColumns) + 1, 0);
    return s;
}

// Each column of the per-station table shows its own figure.
TEST(StationSections, StationTableColumnsShowTheirOwnYields)
{
    YieldFigures f;
    f.stations = {Station("S1", 8, 2, 6), Station("S2", 0, 0, 0)};
    const std::string html = StationTableHtml(f);
    EXPECT_NE(html.find("<tr><td>S1</td><td>8</td><td>25.0%</td><td>75.0%</td><td>8 (0, 0)</td></tr>"),
              std::string::npos)
        << html;
    EXPECT_NE(html.find("<tr><td>S2</td><td>0</td><td>-</td><td>-</td>"), std::string::npos) << html;
}

SignalFigures Signal(const std::vector<std::pair<std::string, std::vector<std::string>>>& stations,
                     std::optional<int> threshold = std::nullopt)
{
    SignalTally tally(1);
    for (const auto& [name, texts] : stations) {
        for (const auto& text : texts)
            tally[0][name].Add(text, 1);
    }
    SignalSettings settings;
    settings.thresholds[0] = threshold;
    return SignalFiguresOf(tally, settings)[0];
}

// Markup in a station's name (it comes from a profile) reaches the page as text.
TEST(StationSections, StationNamesInChartSubtitlesAreEscaped)
{
    const std::string html = SignalSectionsHtml({Signal({{"<b>S&1</b>", {"30", "31"}}})});
    EXPECT_NE(html.find("<div class=\"sub\">&lt;b&gt;S&amp;1&lt;/b&gt; &middot; 2 values, median 30</div>"),
              std::string::npos)
        << html;
    EXPECT_EQ(html.find("<b>"), std::string::npos);
}

// Every stored text lands in exactly one place: a bin, the out-of-range
// count, or nowhere when it is no number.
TEST(SignalFigures, ValuesOutsideThePlausibleRangeAreCountedApart)
{
    struct Case {
        const char* text;
        SignalReading::Kind kind;
        int value;
    };
    const Case cases[] = {
        {"-200", SignalReading::kInRange, -200},     {"200", SignalReading::kInRange, 200},
        {"-201", SignalReading::kOutOfRange, 0},     {"201", SignalReading::kOutOfRange, 0},
        {"0007", SignalReading::kInRange, 7},        {"-0", SignalReading::kInRange, 0},
        {"99999999999", SignalReading::kOutOfRange, 0}, {"-2147483649", SignalReading::kOutOfRange, 0},
        {"2147483647", SignalReading::kOutOfRange, 0},  {"000000000000000000030", SignalReading::kInRange, 30},
        {"", SignalReading::kNoNumber, 0},           {"-", SignalReading::kNoNumber, 0},
        {"+5", SignalReading::kNoNumber, 0},         {"3.5", SignalReading::kNoNumber, 0},
        {"n/a", SignalReading::kNoNumber, 0},        {" 5", SignalReading::kNoNumber, 0},
    };
    for (const auto& c : cases) {
        const SignalReading reading = ReadSignal(c.text);
        EXPECT_EQ(reading.kind, c.kind) << c.text;
        if (c.kind == SignalReading::kInRange) {
            EXPECT_EQ(reading.value, c.value) << c.text;
        }
    }
}

// Values far apart (they once overflowed the bin arithmetic) and a threshold
// far out: the chart covers the plausible values only and says how many were
// left out.
TEST(StationSections, OutOfRangeValuesStayOutOfTheBins)
{
    const SignalFigures signal =
        Signal({{"S1", {"99999999999", "-2147483649", "-2147483648", "30", "40"}}, {"S2", {"1000"}}}, 2147483647);
    EXPECT_EQ(signal.line.rows, 2);
    EXPECT_EQ(signal.line.outOfRange, 4);
    EXPECT_EQ(signal.line.counts, (std::map<int, int>{{30, 1}, {40, 1}}));
    EXPECT_EQ(signal.line.atOrBelow, 2);
    ASSERT_EQ(signal.stations.size(), 2u);
    EXPECT_FALSE(signal.stations[1].median);  // S2: nothing in range
    const std::string html = SignalSectionsHtml({signal});
    EXPECT_NE(html.find("S1 &middot; 2 values, median 30 \u00b7 3 out of range (outside -200..200)"), std::string::npos)
        << html;
    EXPECT_NE(html.find("S2 &middot; 0 values \u00b7 1 out of range"), std::string::npos) << html;
    EXPECT_NE(html.find("Line median 30"), std::string::npos);
    EXPECT_NE(html.find(">200..204<"), std::string::npos) << html;  // the last bin starts at the range's end
    const std::string none = SignalSectionsHtml({Signal({{"S1", {"-999"}}})});
    EXPECT_NE(none.find("No 2G RSSI values stored in this period. \u00b7 1 out of range"), std::string::npos) << none;
}

// The journal files of both ends of the period belong to it.
TEST(ItemDurations, JournalFilesOfThePeriodsEndDaysAreRead)
{
    TempWorkDir dir;
    std::filesystem::create_directories("units");
    for (const char* name : {"2026-12-06.jsonl", "2026-12-07.jsonl", "2026-12-08.jsonl"})
        std::ofstream(std::filesystem::path("units") / name) << "";
    const auto day = [](const char* text) { return ParseDate(text); };
    struct Case {
        std::optional<WallSeconds> from, to;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {day("2026-12-07"), day("2026-12-07"), {"2026-12-07.jsonl"}},
        {std::nullopt, day("2026-12-07"), {"2026-12-06.jsonl", "2026-12-07.jsonl"}},
        {day("2026-12-07"), std::nullopt, {"2026-12-07.jsonl", "2026-12-08.jsonl"}},
        {day("2026-12-06"), day("2026-12-08"), {"2026-12-06.jsonl", "2026-12-07.jsonl", "2026-12-08.jsonl"}},
    };
    for (const auto& c : cases) {
        const JournalFiles found = FindJournalFiles({"."}, c.from, c.to);
        ASSERT_EQ(found.error, "");
        std::vector<std::string> names;
        for (const auto& file : found.files)
            names.push_back(file.filename().string());
        EXPECT_EQ(names, c.files) << (c.from ? WallDateText(*c.from) : "-") << " " << (c.to ? WallDateText(*c.to) : "-");
    }
}

}  // namespace
