#include "tools/rurizuda-report/LineRebuild.h"

#include <pqxx/pqxx>

#include "records/LineSummaries.h"
#include "tools/rurizuda-report/LineReportSession.h"

void RebuildLineSummaries(const std::string& url, const std::function<void(const std::string&)>& step)
{
    const auto session = OpenReportSession(url, SessionUse::Rebuild);
    try {
        // The lock under which stations create the table and the summaries;
        // the server lets go of it with the session, however this ends.
        const std::string key = std::to_string(kLineSchemaLockKey);
        step("waiting for stations creating the table");
        pqxx::nontransaction(*session).exec("SELECT pg_advisory_lock(" + key + ")");
        pqxx::work work(*session);
        if (!HasResultTable(work))
            throw ReportError("the line database holds no result table SNTable");
        DropLineSummaries(work);
        BuildLineSummaries(work, step);
        step("committing");
        work.commit();
    } catch (const pqxx::failure& error) {
        throw LineReadError(error);
    }
}
