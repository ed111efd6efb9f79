// rurizuda-report: CSV export and yield report of the result databases.
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/rurizuda-report/CsvExport.h"
#include "tools/rurizuda-report/HtmlReport.h"
#include "tools/rurizuda-report/JournalSummary.h"
#include "tools/rurizuda-report/ReportOptions.h"
#include "tools/rurizuda-report/YieldFigures.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

// Reads one file; a missing file is noted and counts as no rows.
bool ReadFile(const std::string& path, bool passed, std::vector<ResultRow>* rows)
{
    RowsRead read = ReadResultRows(path, passed);
    if (!read.error.empty()) {
        std::fprintf(stderr, "rurizuda-report: %s\n", read.error.c_str());
        return false;
    }
    if (read.missing)
        std::fprintf(stderr, "rurizuda-report: %s does not exist; counted as no rows\n", path.c_str());
    *rows = std::move(read.rows);
    return true;
}

std::string Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local);
    return text;
}

// Writes the page beside its final name and renames it, so a reader never
// sees half a page.
bool WritePage(const std::string& path, const std::string& html)
{
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out << html;
        out.flush();
        if (!out) {
            std::fprintf(stderr, "rurizuda-report: cannot write %s\n", partial.c_str());
            std::remove(partial.c_str());
            return false;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::perror(("rurizuda-report: cannot write " + path).c_str());
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

int SummariseJournals(const std::vector<std::string>& files)
{
    JournalSummary summary;
    for (const auto& file : files) {
        const UnitJournalRead read = ReadUnitJournal(file);
        if (!read.opened) {
            std::fprintf(stderr, "rurizuda-report: cannot read %s\n", file.c_str());
            return kExitFailed;
        }
        AddToSummary(&summary, read);
    }
    std::fputs(JournalSummaryText(summary).c_str(), stdout);
    return kExitDone;
}

}  // namespace

int main(int argc, char** argv)
{
    const ReportOptions options = ParseReportOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help) {
        std::fputs(kReportUsage, stdout);
        return kExitDone;
    }
    if (!options.error.empty()) {
        std::fprintf(stderr, "rurizuda-report: %s (see rurizuda-report --help)\n", options.error.c_str());
        return kExitUsage;
    }
    if (options.command == "journal")
        return SummariseJournals(options.journalFiles);
    std::vector<ResultRow> passRows, failRows;
    if (!ReadFile(options.passFile, true, &passRows) || !ReadFile(options.failFile, false, &failRows))
        return kExitFailed;
    const std::vector<ResultRow> rows = MergeByTime(std::move(passRows), std::move(failRows));

    if (options.command == "export") {
        WriteCsv(std::cout, RowsInPeriod(rows, options.fromDay, options.toDay));
        std::cout.flush();
        return std::cout ? kExitDone : kExitFailed;
    }
    const YieldFigures figures = ComputeYield(rows, options.fromDay, options.toDay);
    std::fputs(YieldText(figures).c_str(), stdout);
    if (!options.html.empty() && !WritePage(options.html, YieldHtml(figures, Now())))
        return kExitFailed;
    return kExitDone;
}
