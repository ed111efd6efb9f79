#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ResultRows.h"
#include "tools/rurizuda-report/SignalFigures.h"

// The command line of rurizuda-report.
struct ReportOptions {
    std::string command;  // "export", "yield", "watch", "journal" or "rebuild"
    std::optional<WallSeconds> fromDay;
    std::optional<WallSeconds> toDay;
    std::string html;  // yield, watch: the page to write; "" none
    std::string passFile = "PASS.mdb";
    std::string failFile = "FAIL.mdb";
    std::string dbUrl;                  // the line-wide database; "" the files
    std::vector<std::string> stations;  // --db: only these stations; empty every one
    SignalSettings signalSettings;            // thresholds given on the command line
    std::string profile;                // workstation.ini for the thresholds not given
    std::vector<std::string> journalFolders;  // folders with units/*.jsonl
    int everySeconds = 0;                     // watch: the period
    std::vector<std::string> journalFiles;    // journal: the .jsonl files
    bool help = false;
    std::string error;  // "" when the command line is sound
};

// The longest period of watch: a day.
inline constexpr int kLongestWatchSeconds = 24 * 3600;

ReportOptions ParseReportOptions(const std::vector<std::string>& args);

extern const char* const kReportUsage;
