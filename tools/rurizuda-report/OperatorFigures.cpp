#include "tools/rurizuda-report/OperatorFigures.h"

#include <pqxx/pqxx>

#include "records/LineSummaries.h"
#include "records/ResultRow.h"
#include "tools/rurizuda-report/LineReportSession.h"
#include "tools/rurizuda-report/ResultRows.h"
#include "tools/rurizuda-report/SvgBarChart.h"
#include "tools/rurizuda-report/YieldFigures.h"

namespace {

constexpr WallSeconds kSecondsPerDay = 24 * 3600;
constexpr const char* kWithoutSignIn = "(not signed in)";

std::string TimeBound(const std::optional<WallSeconds>& day, WallSeconds offset, const char* open)
{
    return "'" + (day ? WallTimeText(*day + offset) : std::string(open)) + "'::timestamp";
}

bool HasOperatorColumn(pqxx::transaction_base& work)
{
    return work.exec1(std::string("SELECT EXISTS (SELECT 1 FROM pg_attribute WHERE attrelid = to_regclass('") +
                      kResultTable + "') AND attname = lower('" + kOperatorColumn + "') AND NOT attisdropped)")[0]
        .as<bool>();
}

}  // namespace

std::string OperatorFiguresSql(const ReportOptions& options)
{
    const std::string from = TimeBound(options.fromDay, 0, "-infinity");
    const std::string end = TimeBound(options.toDay, kSecondsPerDay, "infinity");
    std::string stations;
    for (const auto& station : options.stations)
        stations += (stations.empty() ? "" : ",") + SqlText(station);
    // The unit's first row: at its first station and time, of its first
    // verdict (a pass sorts before a failure of the same second).
    return std::string("SELECT coalesce(r.operator, ''), count(*), count(*) FILTER (WHERE NOT u.first_failed) FROM ") +
           kLineUnitSummary + " AS u LEFT JOIN LATERAL (SELECT s.operator FROM " + kResultTable +
           " AS s WHERE s.sn = u.sn AND s.station = u.first_station AND rurizuda_store_time(s.dtime) = u.first_time "
           "AND (s.verdict <> 'PASS') = u.first_failed ORDER BY s.id LIMIT 1) AS r ON true WHERE u.first_time >= " +
           from + " AND u.first_time < " + end + " AND u.first_time > '-infinity'" +
           (stations.empty() ? "" : " AND u.first_station IN (" + stations + ")") + " GROUP BY 1 ORDER BY 1";
}

std::optional<std::vector<OperatorFigures>> ReadOperatorFigures(const ReportOptions& options)
{
    if (options.dbUrl.empty())
        return std::nullopt;
    const auto session = OpenReportSession(options.dbUrl, SessionUse::Read);
    try {
        pqxx::read_transaction work(*session);
        if (!HasResultTable(work) || !LineSummariesExist(work) || !HasOperatorColumn(work))
            return std::nullopt;
        std::vector<OperatorFigures> operators;
        for (const auto& row : work.exec(OperatorFiguresSql(options)))
            operators.push_back({row[0].as<std::string>(), row[1].as<int>(), row[2].as<int>()});
        return operators;
    } catch (const pqxx::failure& error) {
        throw LineReadError(error);
    }
}

std::string OperatorTableHtml(const std::vector<OperatorFigures>& operators)
{
    if (operators.empty())
        return "<p class=\"empty\">No units first stored in this period.</p>";
    std::string html = "<table class=\"operators\"><tr><th>Operator</th><th>Units</th><th>First-pass yield</th></tr>";
    for (const auto& figures : operators) {
        html += "<tr><td>" + EscapeXml(figures.badge.empty() ? kWithoutSignIn : figures.badge) + "</td><td>" +
                std::to_string(figures.units) + "</td><td>" + PercentText(figures.FirstPassYield()) + "</td></tr>";
    }
    return html + "</table>";
}
