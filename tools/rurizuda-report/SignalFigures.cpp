#include "tools/rurizuda-report/SignalFigures.h"

#include <charconv>
#include <cstdlib>

#include "tools/rurizuda-report/ReportQueries.h"

namespace {

struct Technology {
    const char* column;
    const char* name;
};
constexpr Technology kTechnologies[] = {{"RSSI2G", "2G RSSI"}, {"RSSI3G", "3G RSSI"}, {"RSSI4G", "4G RSSI"}};

std::optional<int> Integer(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

void Add(SignalHistogram* histogram, int value, int rows, std::optional<int> threshold)
{
    histogram->counts[value] += rows;
    histogram->rows += rows;
    if (threshold && value <= *threshold)
        histogram->atOrBelow += rows;
}

void FindMedian(SignalHistogram* histogram)
{
    int seen = 0;
    for (const auto& [value, rows] : histogram->counts) {
        seen += rows;
        if (2 * seen >= histogram->rows) {
            histogram->median = value;
            return;
        }
    }
}

}  // namespace

std::vector<SignalFigures> ComputeSignals(ReportDatabase& db, std::optional<WallSeconds> fromDay,
                                          std::optional<WallSeconds> toDay, const SignalSettings& settings)
{
    std::vector<SignalFigures> computed;
    for (size_t t = 0; t < std::size(kTechnologies); ++t) {
        SignalFigures figures;
        figures.column = kTechnologies[t].column;
        figures.name = kTechnologies[t].name;
        figures.threshold = settings.thresholds[t];
        std::map<std::string, SignalHistogram> stations;
        const std::string sql = "SELECT STATION, " + figures.column + ", COUNT(*) FROM " + TimedRowsSql(db) +
                                " WHERE " + InPeriodSql(fromDay, toDay) + " AND " + figures.column +
                                " <> '' GROUP BY STATION, " + figures.column;
        db.Query(sql, [&](const SqlRow& row) {
            const auto value = Integer(TextOf(row[1]));
            if (!value)
                return true;
            const int rows = static_cast<int>(CountOf(row[2]));
            SignalHistogram& station = stations[TextOf(row[0])];
            station.station = TextOf(row[0]);
            Add(&station, *value, rows, figures.threshold);
            Add(&figures.line, *value, rows, figures.threshold);
            return true;
        });
        FindMedian(&figures.line);
        for (auto& [name, station] : stations) {
            FindMedian(&station);
            if (station.median && figures.line.median &&
                std::abs(*station.median - *figures.line.median) > settings.driftLimit)
                figures.drifting.push_back(name);
            figures.stations.push_back(std::move(station));
        }
        computed.push_back(std::move(figures));
    }
    return computed;
}

std::vector<std::string> DriftNotes(const std::vector<SignalFigures>& measured)
{
    std::vector<std::string> notes;
    for (const auto& signal : measured) {
        for (const auto& station : signal.stations) {
            if (std::find(signal.drifting.begin(), signal.drifting.end(), station.station) == signal.drifting.end())
                continue;
            notes.push_back("station " + station.station + ": " + signal.name + " median " +
                            std::to_string(*station.median) + ", line " + std::to_string(*signal.line.median));
        }
    }
    return notes;
}
