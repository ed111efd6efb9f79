#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/rurizuda-report/ReportDatabase.h"

// SNTable of the line-wide PostgreSQL database, read in a read-only session.
// `stations` limits the rows to those stations; empty: every station.
// Throws ReportError when the URL carries a password, or the server cannot
// be reached or holds no result table.
std::unique_ptr<ReportDatabase> OpenLineDatabase(const std::string& url, const std::vector<std::string>& stations);
