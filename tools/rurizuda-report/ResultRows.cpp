#include "tools/rurizuda-report/ResultRows.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kBusyTimeoutMs = 5000;  // the station may be storing a row
constexpr WallSeconds kSecondsPerDay = 24 * 3600;

std::string SelectAll()
{
    std::string sql = "SELECT ";
    for (size_t i = 0; i < kResultColumns.size(); ++i) {
        if (i)
            sql += ",";
        sql += kResultColumns[i];
    }
    return sql + " FROM SNTable ORDER BY rowid";
}

std::tm WallTm(WallSeconds t)
{
    const std::time_t seconds = static_cast<std::time_t>(t);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    return tm;
}

std::optional<WallSeconds> FromTm(std::tm tm)
{
    return static_cast<WallSeconds>(timegm(&tm));
}

}  // namespace

std::optional<WallSeconds> ParseStoreTime(const std::string& dtime)
{
    std::tm tm{};
    const char* end = strptime(dtime.c_str(), "%a %b %d %H:%M:%S %Y", &tm);
    if (!end)
        return std::nullopt;
    for (; *end; ++end) {
        if (*end != '\n' && *end != '\r' && *end != ' ')
            return std::nullopt;
    }
    return FromTm(tm);
}

std::string WallTimeText(WallSeconds t)
{
    const std::tm tm = WallTm(t);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

std::string WallDateText(WallSeconds t)
{
    return WallTimeText(t).substr(0, 10);
}

std::optional<WallSeconds> ParseDate(const std::string& text)
{
    std::tm tm{};
    const char* end = strptime(text.c_str(), "%Y-%m-%d", &tm);
    if (!end || *end || text.size() != 10)
        return std::nullopt;
    auto day = FromTm(tm);
    if (!day || WallDateText(*day) != text)  // 2026-02-30 and the like
        return std::nullopt;
    return day;
}

RowsRead ReadResultRows(const std::string& path, bool passed)
{
    RowsRead read;
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        // Only a file that is not there counts as no rows; one that cannot
        // be reached (permission, a link loop) is an error.
        if (errno == ENOENT)
            read.missing = true;
        else
            read.error = path + ": " + std::strerror(errno);
        return read;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        read.error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot open");
        sqlite3_close(db);
        return read;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, SelectAll().c_str(), -1, &statement, nullptr) != SQLITE_OK) {
        read.error = path + ": not a result database (" + sqlite3_errmsg(db) + ")";
        sqlite3_close(db);
        return read;
    }
    int step;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        ResultRow row;
        row.passed = passed;
        for (size_t i = 0; i < kResultColumns.size(); ++i) {
            const auto* text = sqlite3_column_text(statement, static_cast<int>(i));
            if (text)
                row.columns[i].assign(reinterpret_cast<const char*>(text),
                                      static_cast<size_t>(sqlite3_column_bytes(statement, static_cast<int>(i))));
        }
        row.time = ParseStoreTime(row.Column(ColumnIndex("DTIME")));
        read.rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE) {
        read.error = path + ": " + sqlite3_errmsg(db);
        read.rows.clear();
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return read;
}

std::vector<ResultRow> MergeByTime(std::vector<ResultRow> passRows, std::vector<ResultRow> failRows)
{
    std::vector<ResultRow> rows = std::move(passRows);
    rows.insert(rows.end(), std::make_move_iterator(failRows.begin()), std::make_move_iterator(failRows.end()));
    std::stable_sort(rows.begin(), rows.end(), [](const ResultRow& a, const ResultRow& b) {
        if (a.time && b.time)
            return *a.time < *b.time;
        return a.time.has_value() && !b.time.has_value();
    });
    return rows;
}

std::vector<ResultRow> RowsInPeriod(const std::vector<ResultRow>& rows, std::optional<WallSeconds> fromDay,
                                    std::optional<WallSeconds> toDay)
{
    std::vector<ResultRow> kept;
    for (const auto& row : rows) {
        if (!row.time) {
            if (!fromDay && !toDay)
                kept.push_back(row);
            continue;
        }
        if (fromDay && *row.time < *fromDay)
            continue;
        if (toDay && *row.time >= *toDay + kSecondsPerDay)
            continue;
        kept.push_back(row);
    }
    return kept;
}
