#include "tools/rurizuda-report/CsvExport.h"

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

void WriteCsv(std::ostream& out, const std::vector<ResultRow>& rows)
{
    std::vector<std::string> fields = {"RESULT", "TIME"};
    for (auto column : kResultColumns)
        fields.emplace_back(column);
    WriteRecord(out, fields);
    for (const auto& row : rows) {
        fields = {row.passed ? "PASS" : "FAIL", row.time ? WallTimeText(*row.time) : ""};
        fields.insert(fields.end(), row.columns.begin(), row.columns.end());
        WriteRecord(out, fields);
    }
}
