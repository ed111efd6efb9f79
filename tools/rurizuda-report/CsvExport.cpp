#include "tools/rurizuda-report/CsvExport.h"

#include "tools/rurizuda-report/ReportQueries.h"

namespace {

constexpr const char* kRecordEnd = "\r\n";

void WriteRecord(std::ostream& out, const std::vector<std::string>& fields)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out << ',';
        out << CsvField(fields[i]);
    }
    out << kRecordEnd;
}

}  // namespace

std::string CsvField(const std::string& value)
{
    if (value.find_first_of("\",\r\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

void WriteCsv(std::ostream& out, ReportDatabase& db, std::optional<WallSeconds> fromDay,
              std::optional<WallSeconds> toDay)
{
    std::vector<std::string> fields = {"RESULT", "TIME"};
    std::string sql = "SELECT PASSED, T";
    for (auto column : kResultColumns) {
        fields.emplace_back(column);
        sql += "," + std::string(column);
    }
    if (db.LineWide()) {
        fields.emplace_back("STATION");
        sql += ",STATION";
    }
    WriteRecord(out, fields);
    const std::string where = fromDay || toDay ? InPeriodSql(fromDay, toDay) : "1 = 1";
    sql += " FROM " + TimedRowsSql(db) + " WHERE " + where + " ORDER BY T IS NULL, T, PASSED DESC, ORD";
    db.Stream(sql, [&](const SqlRow& row) {
        fields.clear();
        fields.push_back(CountOf(row[0]) == 1 ? "PASS" : "FAIL");
        for (size_t i = 1; i < row.size(); ++i)
            fields.push_back(TextOf(row[i]));
        WriteRecord(out, fields);
        return static_cast<bool>(out);
    });
}
