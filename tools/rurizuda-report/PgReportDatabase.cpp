#include "tools/rurizuda-report/PgReportDatabase.h"

#include <pqxx/pqxx>

#include "records/ResultRow.h"
#include "tools/rurizuda-report/LineReportSession.h"
#include "tools/rurizuda-report/ResultRows.h"

namespace {

// Rows fetched from the server per round trip, so that a long export never
// holds the whole result.
constexpr int kFetchRows = 10000;
// Hands the rows over until the handler stops; false when it stopped.
bool HandOver(const pqxx::result& result, const SqlRowHandler& handler)
{
    SqlRow row;
    for (const auto& fields : result) {
        row.assign(fields.size(), std::nullopt);
        for (pqxx::row::size_type i = 0; i < fields.size(); ++i) {
            if (!fields[i].is_null())
                row[i].emplace(fields[i].c_str(), fields[i].size());
        }
        if (!handler(row))
            return false;
    }
    return true;
}

template <class Work>
void Guarded(Work work)
{
    try {
        work();
    } catch (const pqxx::failure& error) {
        throw LineReadError(error);
    }
}

class PgReportDatabase final : public ReportDatabase {
public:
    PgReportDatabase(const std::string& url, const std::vector<std::string>& stations)
    try : session_(OpenReportSession(url, SessionUse::Read)), connection_(*session_) {
        pqxx::nontransaction session(connection_);
        if (!HasResultTable(session))
            throw ReportError("the line database holds no result table " + std::string(kResultTable));
        for (const auto& station : stations)
            stationList_ += (stationList_.empty() ? "" : ",") + SqlText(station);
    } catch (const pqxx::failure& error) {
        throw LineReadError(error);
    }

    void Query(const std::string& sql, const SqlRowHandler& handler) override
    {
        Guarded([&] {
            pqxx::work work(connection_);
            HandOver(work.exec(sql), handler);
        });
    }

    void Stream(const std::string& sql, const SqlRowHandler& handler) override
    {
        Guarded([&] {
            pqxx::work work(connection_);
            work.exec("DECLARE report_rows NO SCROLL CURSOR FOR " + sql);
            const std::string fetch = "FETCH " + std::to_string(kFetchRows) + " FROM report_rows";
            for (;;) {
                const pqxx::result page = work.exec(fetch);
                if (!HandOver(page, handler) || page.size() < static_cast<size_t>(kFetchRows))
                    return;
            }
        });
    }

    std::string RowsSelect(const std::vector<std::string>& columns) const override
    {
        // Texts compare byte by byte whatever the table's collation, so that
        // store times sort as their bytes do and as in the station's files.
        std::string select = "SELECT CASE WHEN VERDICT = 'PASS' THEN 1 ELSE 0 END AS PASSED, STATION COLLATE \"C\" "
                             "AS STATION, ID AS ORD";
        for (const auto& column : ColumnsOrAll(columns))
            select += "," + column + " COLLATE \"C\" AS " + column;
        select += std::string(" FROM ") + kResultTable;
        if (!stationList_.empty())
            select += " WHERE STATION IN (" + stationList_ + ")";
        return select;
    }

    std::string CharSql(int code) const override { return "chr(" + std::to_string(code) + ")"; }
    std::string PositionSql(const std::string& haystack, const std::string& needle) const override
    {
        return "strpos(" + haystack + ", " + needle + ")";
    }
    std::string FenceSql() const override { return " OFFSET 0"; }
    bool LineWide() const override { return true; }

private:
    std::unique_ptr<pqxx::connection> session_;
    pqxx::connection& connection_;
    std::string stationList_;
};

}  // namespace

std::unique_ptr<ReportDatabase> OpenLineDatabase(const std::string& url, const std::vector<std::string>& stations)
{
    return std::make_unique<PgReportDatabase>(url, stations);
}
