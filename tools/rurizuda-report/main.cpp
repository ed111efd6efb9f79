// rurizuda-report: CSV export and yield report of the result databases.
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "tools/rurizuda-report/CsvExport.h"
#include "tools/rurizuda-report/JournalSummary.h"
#include "tools/rurizuda-report/LineRebuild.h"
#include "tools/rurizuda-report/PageBuilder.h"
#include "tools/rurizuda-report/PageFile.h"
#include "tools/rurizuda-report/WatchLoop.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

std::string Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void Complain(const std::string& reason)
{
    std::fprintf(stderr, "rurizuda-report: %s\n", reason.c_str());
}

std::unique_ptr<ReportDatabase> OpenSource(const ReportOptions& options)
{
    std::vector<std::string> notes;
    auto db = OpenReportSource(options, &notes);
    for (const auto& note : notes)
        Complain(note);
    return db;
}

ReportPage BuildPage(const ReportOptions& options, const SignalSettings& settings)
{
    std::vector<std::string> notes;
    ReportPage page = BuildReportPage(options, settings, &notes);
    for (const auto& note : notes)
        Complain(note);
    return page;
}

int SummariseJournals(const std::vector<std::string>& files)
{
    JournalSummary summary;
    for (const auto& file : files) {
        const UnitJournalRead read = ReadUnitJournal(file);
        if (!read.opened) {
            Complain("cannot read " + file);
            return kExitFailed;
        }
        AddToSummary(&summary, read);
    }
    std::fputs(JournalSummaryText(summary).c_str(), stdout);
    return kExitDone;
}

int Export(const ReportOptions& options)
{
    auto db = OpenSource(options);
    WriteCsv(std::cout, *db, options.fromDay, options.toDay);
    std::cout.flush();
    if (!std::cout) {
        Complain("cannot write the CSV to standard output");
        return kExitFailed;
    }
    return kExitDone;
}

int Yield(const ReportOptions& options)
{
    const ReportPage page = BuildPage(options, SignalSettingsOf(options));
    std::fputs(YieldText(page.yield).c_str(), stdout);
    for (const auto& note : DriftNotes(page.measured))
        std::printf("Signal drift: %s\n", note.c_str());
    std::string error;
    if (!options.html.empty() && !WritePageFile(options.html, YieldHtml(page, Now()), &error)) {
        Complain(error);
        return kExitFailed;
    }
    return kExitDone;
}

// Rewrites the page every period until Ctrl-C or SIGTERM, from one figure
// source kept for the whole run. A source or page that fails the first time
// ends watch (a wrong command line); later, a period that fails keeps the
// last page and says why.
int Watch(const ReportOptions& options)
{
    const SignalSettings settings = SignalSettingsOf(options);
    const auto source = OpenFigureSource(options, Complain);
    bool first = true;
    RunEvery(
        options.everySeconds,
        [&] {
            try {
                const ReportPage page = BuildReportPage(*source, options, settings);
                std::string error;
                if (!WritePageFile(options.html, YieldHtml(page, Now()), &error))
                    throw ReportError(error);
            } catch (const ReportInterrupted&) {
                throw;  // a signal stops watch: nothing to say
            } catch (const ReportError& error) {
                if (first)
                    throw;
                Complain(error.what());
            }
            first = false;
        },
        [&] { source->Interrupt(); });
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
    try {
        if (options.command == "journal")
            return SummariseJournals(options.journalFiles);
        if (options.command == "export")
            return Export(options);
        if (options.command == "rebuild") {
            RebuildLineSummaries(options.dbUrl, [](const std::string& step) { Complain("rebuild: " + step); });
            return kExitDone;
        }
        if (options.command == "watch")
            return Watch(options);
        return Yield(options);
    } catch (const ReportError& error) {
        Complain(error.what());
        return kExitFailed;
    }
}
