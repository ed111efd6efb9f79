#include "tests/tools/ReportFixture.h"

#include "records/ResultRow.h"

#include <sqlite3.h>

#include <stdexcept>

const char* const kCreateSnTable = kCreateResultTable;

namespace {

void Exec(sqlite3* db, const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string reason = message ? message : "unknown";
        sqlite3_free(message);
        throw std::runtime_error(sql + ": " + reason);
    }
}

}  // namespace

void WriteResultDb(const std::filesystem::path& path, const std::vector<FixtureRow>& rows)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        throw std::runtime_error("cannot create " + path.string());
    Exec(db, kCreateSnTable);
    for (const auto& row : rows) {
        std::map<std::string, std::string> values = row.columns;
        values["DTIME"] = row.dtime;
        values["SN"] = row.sn;
        std::string names, marks;
        for (const auto& [name, value] : values) {
            names += (names.empty() ? "" : ",") + name;
            marks += marks.empty() ? "?" : ",?";
        }
        sqlite3_stmt* insert = nullptr;
        const std::string sql = "INSERT INTO SNTable(" + names + ") VALUES(" + marks + ")";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) != SQLITE_OK)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
        int i = 1;
        for (const auto& [name, value] : values)
            sqlite3_bind_text(insert, i++, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        const int step = sqlite3_step(insert);
        sqlite3_finalize(insert);
        if (step != SQLITE_DONE)
            throw std::runtime_error(sql + ": " + sqlite3_errmsg(db));
    }
    sqlite3_close(db);
}

void WriteResultDbs(const std::filesystem::path& dir, const std::vector<FixtureRow>& rows)
{
    std::vector<FixtureRow> passed, failed;
    for (const auto& row : rows)
        (row.passed ? passed : failed).push_back(row);
    WriteResultDb(dir / "PASS.mdb", passed);
    WriteResultDb(dir / "FAIL.mdb", failed);
}

std::vector<FixtureRow> LineDayRows()
{
    const std::map<std::string, std::string> good = {
        {"IMEI", "867400012345678"}, {"KAVOKEY", "PASS"}, {"LED", "PASS"}, {"WIFI", "PASS"},
        {"SIM", "SIM inserted"},     {"CHARGER", "PASS"}, {"LOCKPN", "LOCK SUCCESS"},
    };
    const auto with = [&](std::map<std::string, std::string> changes) {
        auto columns = good;
        for (auto& [name, value] : changes)
            columns[name] = value;
        return columns;
    };
    return {
        {false, "Sun Dec  6 17:00:00 2026\n", "G1", with({{"SIM", "SIM not inserted"}})},
        {true, "Mon Dec  7 08:05:00 2026\n", "A1", good},
        {false, "Mon Dec  7 08:10:00 2026\n", "B1", with({{"KAVOKEY", "FAIL"}, {"LED", "FAIL"}})},
        {false, "Mon Dec  7 08:30:00 2026\n", "C1", with({{"KAVOKEY", "FAIL"}})},
        {true, "Mon Dec  7 08:45:00 2026\n", "G1", good},
        {true, "Mon Dec  7 09:05:00 2026\n", "D1", good},
        {true, "Mon Dec  7 09:20:00 2026\n", "B1", good},
        {false, "Mon Dec  7 09:40:00 2026\n", "C1", with({{"KAVOKEY", "FAIL"}, {"WIFI", "FAIL"}})},
        {false, "Mon Dec  7 10:15:00 2026\n", "E1", with({{"LOCKPN", "ALREADY LOCKED"}})},
        {true, "Mon Dec  7 10:20:00 2026\n", "", good},
        {true, "Mon Dec  7 10:50:00 2026\n", "A1", with({{"ISREPAIR", "YES"}})},
        {false, "Tue Dec  8 07:00:00 2026\n", "D1", with({{"CHARGER", "FAIL"}})},
    };
}
