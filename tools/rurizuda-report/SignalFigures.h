#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ReportDatabase.h"
#include "tools/rurizuda-report/ResultRows.h"

// The distribution of a measured signal value (RSSI2G, RSSI3G, RSSI4G) per
// station, against the station's threshold: a unit passes the signal check
// when its value lies above the threshold.

// A station's median further than this from the line's is named as drifting.
inline constexpr int kDefaultDriftLimit = 5;

struct SignalHistogram {
    std::string station;        // "" for the whole line
    std::map<int, int> counts;  // rows per value
    int rows = 0;               // rows with a numeric value
    int atOrBelow = 0;          // ... not above the threshold
    std::optional<int> median;  // the lower median; none without rows

    double ShareAtOrBelow() const { return rows ? 100.0 * atOrBelow / rows : 0.0; }
};

struct SignalFigures {
    std::string column;  // "RSSI2G"
    std::string name;    // "2G RSSI"
    std::optional<int> threshold;
    SignalHistogram line;
    std::vector<SignalHistogram> stations;  // by name
    std::vector<std::string> drifting;      // stations whose median drifts past the limit
};

struct SignalSettings {
    std::optional<int> thresholds[3];  // 2G, 3G, 4G
    int driftLimit = kDefaultDriftLimit;
};

// One SignalFigures per technology, from the rows stored within the period.
// Non-numeric values are left out. Throws ReportError.
std::vector<SignalFigures> ComputeSignals(ReportDatabase& db, std::optional<WallSeconds> fromDay,
                                          std::optional<WallSeconds> toDay, const SignalSettings& settings);

// Rows per station and value of each technology (2G, 3G, 4G), as a source
// counted them.
struct SignalCounts {
    std::map<std::string, std::map<int, int>> stations[3];
};

// The figures of those counts against the settings' thresholds.
std::vector<SignalFigures> SignalsOf(const SignalCounts& counts, const SignalSettings& settings);

// One line per drifting station: "station S: 2G RSSI median 22, line 31".
std::vector<std::string> DriftNotes(const std::vector<SignalFigures>& measured);
