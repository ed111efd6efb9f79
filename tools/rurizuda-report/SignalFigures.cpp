#include "tools/rurizuda-report/SignalFigures.h"

#include <algorithm>
#include <cstdlib>

#include "tools/rurizuda-report/ReportQueries.h"

namespace {

struct Technology {
    const char* column;
    const char* name;
};
constexpr Technology kTechnologies[] = {{"RSSI2G", "2G RSSI"}, {"RSSI3G", "3G RSSI"}, {"RSSI4G", "4G RSSI"}};
static_assert(std::size(kTechnologies) == std::size(kSignalColumns));

void Add(SignalHistogram* histogram, const SignalCounts& counts, std::optional<int> threshold)
{
    histogram->outOfRange += counts.outOfRange;
    for (const auto& [value, rows] : counts.values) {
        histogram->counts[value] += rows;
        histogram->rows += rows;
        if (threshold && value <= *threshold)
            histogram->atOrBelow += rows;
    }
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

SignalReading ReadSignal(std::string_view text)
{
    size_t digits = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
    const size_t first = digits;
    for (; digits < text.size(); ++digits) {
        if (text[digits] < '0' || text[digits] > '9')
            return {};
    }
    if (text.size() == first || text.starts_with('+'))  // a number as from_chars reads it: no '+'
        return {};
    // Leading zeros cannot make a number out of range.
    size_t significant = first;
    while (significant + 1 < text.size() && text[significant] == '0')
        ++significant;
    if (text.size() - significant > 3)
        return {SignalReading::kOutOfRange, 0};
    int value = 0;
    for (size_t i = significant; i < text.size(); ++i)
        value = value * 10 + (text[i] - '0');
    if (first)
        value = -value;
    if (value < kLowestSignal || value > kHighestSignal)
        return {SignalReading::kOutOfRange, 0};
    return {SignalReading::kInRange, value};
}

void SignalCounts::Add(std::string_view text, int rows)
{
    const SignalReading reading = ReadSignal(text);
    if (reading.kind == SignalReading::kInRange)
        values[reading.value] += rows;
    else if (reading.kind == SignalReading::kOutOfRange)
        outOfRange += rows;
}

std::vector<SignalFigures> SignalFiguresOf(const SignalTally& tally, const SignalSettings& settings)
{
    std::vector<SignalFigures> measured(std::size(kTechnologies));
    for (size_t t = 0; t < std::size(kTechnologies); ++t) {
        SignalFigures& signal = measured[t];
        signal.column = kTechnologies[t].column;
        signal.name = kTechnologies[t].name;
        signal.threshold = settings.thresholds[t];
        if (t >= tally.size())
            continue;
        for (const auto& [name, counts] : tally[t]) {
            if (counts.Empty())
                continue;
            SignalHistogram station;
            station.station = name;
            Add(&station, counts, signal.threshold);
            Add(&signal.line, counts, signal.threshold);
            signal.stations.push_back(std::move(station));
        }
        FindMedian(&signal.line);
        for (auto& station : signal.stations) {
            FindMedian(&station);
            if (station.median && signal.line.median &&
                std::abs(*station.median - *signal.line.median) > settings.driftLimit)
                signal.drifting.push_back(station.station);
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
    SignalTally tally(std::size(kTechnologies));
    db.Query(sql, [&](const SqlRow& row) {
        const int rows = static_cast<int>(CountOf(row[1 + std::size(kTechnologies)]));
        for (size_t t = 0; t < std::size(kTechnologies); ++t)
            tally[t][TextOf(row[0])].Add(TextOf(row[1 + t]), rows);
        return true;
    });
    return SignalFiguresOf(tally, settings);
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
