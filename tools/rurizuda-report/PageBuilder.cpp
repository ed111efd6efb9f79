#include "tools/rurizuda-report/PageBuilder.h"

#include <filesystem>

#include "config/StationProfile.h"
#include "tools/rurizuda-report/FilePairFigures.h"
#include "tools/rurizuda-report/LineFigureSource.h"
#include "tools/rurizuda-report/PgReportDatabase.h"
#include "tools/rurizuda-report/SqliteReportDatabase.h"

std::unique_ptr<ReportDatabase> OpenReportSource(const ReportOptions& options, std::vector<std::string>* notes)
{
    if (!options.dbUrl.empty())
        return OpenLineDatabase(options.dbUrl, options.stations);
    return OpenResultFiles(options.passFile, options.failFile, FilePairStation(options.passFile), notes);
}

SignalSettings SignalSettingsOf(const ReportOptions& options)
{
    SignalSettings settings = options.signalSettings;
    if (options.profile.empty())
        return settings;
    std::error_code error;
    if (!std::filesystem::is_regular_file(options.profile, error))
        throw ReportError(options.profile + ": no such profile");
    const StationProfile profile = LoadStationProfileFile(options.profile);
    const std::string* texts[] = {&profile.station.rssi2g, &profile.station.rssi3g, &profile.station.rssi4g};
    for (size_t i = 0; i < std::size(texts); ++i) {
        if (settings.thresholds[i] || texts[i]->empty())
            continue;
        try {
            size_t used = 0;
            settings.thresholds[i] = std::stoi(*texts[i], &used);
            if (used != texts[i]->size())
                throw std::invalid_argument("trailing text");
        } catch (const std::exception&) {
            throw ReportError(options.profile + ": the RSSI threshold \"" + *texts[i] + "\" is not a number");
        }
    }
    return settings;
}

std::unique_ptr<FigureSource> OpenFigureSource(const ReportOptions& options, NoteSink note)
{
    if (options.dbUrl.empty()) {
        return OpenFilePairFigures({options.passFile, options.failFile, FilePairStation(options.passFile),
                                    options.fromDay, options.toDay},
                                   std::move(note));
    }
    return OpenLineFigures(options);
}

ReportPage BuildReportPage(const ReportOptions& options, const SignalSettings& settings,
                           std::vector<std::string>* notes)
{
    const auto source = OpenFigureSource(options, [notes](const std::string& note) { notes->push_back(note); });
    return BuildReportPage(*source, options, settings);
}

ReportPage BuildReportPage(FigureSource& source, const ReportOptions& options, const SignalSettings& settings)
{
    ReportPage page;
    source.Compute(settings, &page.yield, &page.measured);
    page.refreshSeconds = options.everySeconds;
    page.operators = ReadOperatorFigures(options);
    if (options.journalFolders.empty())
        return page;
    const JournalFiles journals = FindJournalFiles(options.journalFolders, options.fromDay, options.toDay);
    if (!journals.error.empty())
        throw ReportError(journals.error);
    ItemDurationTable table;
    for (const auto& file : journals.files) {
        const UnitJournalRead read = ReadUnitJournal(file);
        if (!read.opened)
            throw ReportError("cannot read " + file.string());
        table.Add(read);
    }
    page.durations = table.Durations();
    return page;
}
