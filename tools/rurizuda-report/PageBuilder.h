#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tools/rurizuda-report/FigureSource.h"

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

// Takes a note on the source (a missing file), once per page.
using NoteSink = std::function<void(const std::string&)>;

// The figure source the command line names, kept for every page of a run.
// Throws ReportError.
std::unique_ptr<FigureSource> OpenFigureSource(const ReportOptions& options, NoteSink note);

// Every figure of the page from `source` (and the journals the options
// name). Throws ReportError.
ReportPage BuildReportPage(FigureSource& source, const ReportOptions& options, const SignalSettings& settings);

// The same once, over a source opened for it; its notes go to `notes`.
ReportPage BuildReportPage(const ReportOptions& options, const SignalSettings& settings,
                           std::vector<std::string>* notes);
