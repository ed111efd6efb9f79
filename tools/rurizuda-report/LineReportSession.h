#pragma once

#include <memory>
#include <string>

#include <pqxx/pqxx>

#include "tools/rurizuda-report/ReportDatabase.h"

// The report's sessions on the line-wide database: the station's connection
// defaults (connect time-out, client keepalives) and password rule, and
// server-side time-outs, so that a period stuck behind a lock or a slow
// query ends with a one-line reason and the next period tries again.

// How long one statement of the report may run or wait for a lock.
inline constexpr int kReportStatementSeconds = 30;

enum class SessionUse { Read, Rebuild };

// A session on `url`. Read: read-only, with the time-outs above. Rebuild:
// may write, its lock waits bounded as above, statements unbounded (the
// rebuild reads every row). Throws ReportError when the URL carries a
// password or the server cannot be reached.
std::unique_ptr<pqxx::connection> OpenReportSession(const std::string& url, SessionUse use);

// True when SNTable exists.
bool HasResultTable(pqxx::transaction_base& work);

// A server error as the report's one-line reason.
ReportError LineReadError(const std::exception& error);
