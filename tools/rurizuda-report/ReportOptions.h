#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ResultRows.h"

// The command line of rurizuda-report.
struct ReportOptions {
    std::string command;  // "export", "yield" or "journal"
    std::optional<WallSeconds> fromDay;
    std::optional<WallSeconds> toDay;
    std::string html;  // yield: the page to write; "" none
    std::string passFile = "PASS.mdb";
    std::string failFile = "FAIL.mdb";
    std::vector<std::string> journalFiles;  // journal: the .jsonl files
    bool help = false;
    std::string error;  // "" when the command line is sound
};

ReportOptions ParseReportOptions(const std::vector<std::string>& args);

extern const char* const kReportUsage;
