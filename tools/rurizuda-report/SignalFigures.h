#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/rurizuda-report/ReportDatabase.h"
#include "tools/rurizuda-report/ResultRows.h"

// The distribution of a measured signal value (RSSI2G, RSSI3G, RSSI4G) per
// station, against the station's threshold: a unit passes the signal check
// when its value lies above the threshold.

// A station's median further than this from the line's is named as drifting.
inline constexpr int kDefaultDriftLimit = 5;

// The plausible signal values. A number outside is counted as out of range
// and kept out of bins, medians and shares.
inline constexpr int kLowestSignal = -200;
inline constexpr int kHighestSignal = 200;

// What a stored signal text holds: no number ("", "n/a", "3.5"), a number
// within the plausible range, or one outside it (however many digits).
struct SignalReading {
    enum Kind { kNoNumber, kInRange, kOutOfRange } kind = kNoNumber;
    int value = 0;  // for kInRange
};
SignalReading ReadSignal(std::string_view text);

// The rows of one station and technology per value, as a source counts them.
struct SignalCounts {
    std::map<int, int> values;  // rows per value in range
    int outOfRange = 0;         // rows with a number out of range

    void Add(std::string_view text, int rows);
    bool Empty() const { return values.empty() && outOfRange == 0; }
};

// Per technology (2G, 3G, 4G), the counts of each station by name.
using SignalTally = std::vector<std::map<std::string, SignalCounts>>;

struct SignalHistogram {
    std::string station;        // "" for the whole line
    std::map<int, int> counts;  // rows per value
    int outOfRange = 0;         // rows with a number out of range, not in counts
    int rows = 0;               // rows with a value in range
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

// The technologies a tally counts: kSignalColumns[t] for SignalTally[t].
inline constexpr const char* kSignalColumns[] = {"RSSI2G", "RSSI3G", "RSSI4G"};

// One SignalFigures per technology from a tally: medians, shares against the
// thresholds of `settings`, drifting stations.
std::vector<SignalFigures> SignalFiguresOf(const SignalTally& tally, const SignalSettings& settings);

// One SignalFigures per technology, from the rows stored within the period.
// Non-numeric values are left out. Throws ReportError.
std::vector<SignalFigures> ComputeSignals(ReportDatabase& db, std::optional<WallSeconds> fromDay,
                                          std::optional<WallSeconds> toDay, const SignalSettings& settings);

// One line per drifting station: "station S: 2G RSSI median 22, line 31".
std::vector<std::string> DriftNotes(const std::vector<SignalFigures>& measured);
