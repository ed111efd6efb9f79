#pragma once

#include <functional>
#include <string>

// `rurizuda-report rebuild --db URL`: the line database's summary tables
// built again from every stored row, in one transaction, while stations
// keep storing (their inserts wait for the build's lock, within their own
// lock time-out, and are counted by the new triggers). `step` is told each
// step as it begins. Throws ReportError.
void RebuildLineSummaries(const std::string& url, const std::function<void(const std::string&)>& step);
