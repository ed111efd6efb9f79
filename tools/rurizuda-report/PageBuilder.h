#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/rurizuda-report/HtmlReport.h"
#include "tools/rurizuda-report/ReportDatabase.h"
#include "tools/rurizuda-report/ReportOptions.h"

// From a command line to the figures of one report.

// The source the command line names: the line-wide database (--db) or the
// file pair. Notes (a missing file) go to `notes`. Throws ReportError.
std::unique_ptr<ReportDatabase> OpenReportSource(const ReportOptions& options, std::vector<std::string>* notes);

// The thresholds of the command line, the others read from --profile.
// Throws ReportError when the profile cannot be read.
SignalSettings SignalSettingsOf(const ReportOptions& options);

// Every figure of the page over the source the options name (and the
// journals they name), on two connections at once. Notes on the source go to
// `notes`. Throws ReportError.
ReportPage BuildReportPage(const ReportOptions& options, const SignalSettings& settings,
                           std::vector<std::string>* notes);
