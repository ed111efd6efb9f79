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

std::vector<SignalFigures> SignalsOf(const SignalCounts& counts, const SignalSettings& settings)
{
    std::vector<SignalFigures> measured(std::size(kTechnologies));
    for (size_t t = 0; t < std::size(kTechnologies); ++t) {
        measured[t].column = kTechnologies[t].column;
        measured[t].name = kTechnologies[t].name;
        measured[t].threshold = settings.thresholds[t];
        std::vector<SignalHistogram> stations;
        for (const auto& [name, values] : counts.stations[t]) {
            SignalHistogram station;
            station.station = name;
            for (const auto& [value, rows] : values) {
                Add(&station, value, rows, measured[t].threshold);
                Add(&measured[t].line, value, rows, measured[t].threshold);
            }
            if (station.rows)
                stations.push_back(std::move(station));
        }
        FindMedian(&measured[t].line);
        for (auto& station : stations) {
            FindMedian(&station);
            if (station.median && measured[t].line.median &&
                std::abs(*station.median - *measured[t].line.median) > settings.driftLimit)
                measured[t].drifting.push_back(station.station);
            measured[t].stations.push_back(std::move(station));
        }
    }
    return measured;
}

std::vector<SignalFigures> ComputeSignals(ReportDatabase& db, std::optional<WallSeconds> fromDay,
                                          std::optional<WallSeconds> toDay, const SignalSettings& settings)
{
    std::string columns;
    std::vector<std::string> read;
    for (const auto& technology : kTechnologies) {
        read.emplace_back(technology.column);
        columns += ", " + std::string(technology.column);
    }
    // One scan for the three values; the store time is read only when a
    // period asks for it.
    const bool period = fromDay || toDay;
    const std::string sql = "SELECT STATION" + columns + ", COUNT(*) FROM " +
                            (period ? TimedRowsSql(db, "", read) + " WHERE " + InPeriodSql(fromDay, toDay)
                                    : "(" + db.RowsSelect(read) + ") s") +
                            " GROUP BY STATION" + columns;
    SignalCounts counts;
    db.Query(sql, [&](const SqlRow& row) {
        const int rows = static_cast<int>(CountOf(row[1 + std::size(kTechnologies)]));
        for (size_t t = 0; t < std::size(kTechnologies); ++t) {
            if (const auto value = Integer(TextOf(row[1 + t])))
                counts.stations[t][TextOf(row[0])][*value] += rows;
        }
        return true;
    });
    return SignalsOf(counts, settings);
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
