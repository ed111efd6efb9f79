#include "records/ImeiLookup.h"

#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include <sys/stat.h>

#include "records/SqliteDatabase.h"

namespace {

// The stored IMEI as text, compared byte for byte.
constexpr const char* kImeiText = "CAST(\"IMEI\" AS TEXT)";

std::uint64_t HashOf(const std::string& text)
{
    return std::hash<std::string> {}(text);  // kept in memory only, never stored
}

void AddStatus(const std::string& path, std::vector<std::int64_t>& status)
{
    struct stat s {};
    if (stat(path.c_str(), &s) != 0) {
        status.push_back(-1);
        return;
    }
    status.insert(status.end(), {static_cast<std::int64_t>(s.st_dev), static_cast<std::int64_t>(s.st_ino),
                                 static_cast<std::int64_t>(s.st_size), static_cast<std::int64_t>(s.st_mtim.tv_sec),
                                 static_cast<std::int64_t>(s.st_mtim.tv_nsec)});
}

// True when the query planner answers a search on IMEI with an index.
bool IndexServesImei(SqliteDatabase& db, const std::string& quotedTable)
{
    SqliteStatement plan(db, "EXPLAIN QUERY PLAN SELECT 1 FROM " + quotedTable + " WHERE \"IMEI\" = ?1");
    const std::string imei = "0";
    plan.Bind(1, &imei);
    while (plan.Step()) {
        const std::string detail = plan.Text(3);
        if (detail.find("USING") != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace

std::optional<std::string> ImeiLookup::Find(const std::string& file, const std::string& table,
                                            const std::string& column, const std::string& imei)
{
    SqliteDatabase db(file, SQLITE_OPEN_READONLY);
    const std::string quotedTable = QuoteIdentifier(table);
    const std::string quotedColumn = QuoteIdentifier(column);
    const std::string wanted = " AND " + quotedColumn + " IS NOT NULL";

    Stamp stamp {file, table, {}};
    AddStatus(file, stamp.status);
    AddStatus(file + "-wal", stamp.status);
    if (indexed_ != stamp) {
        indexed_.reset();
        rows_.clear();
        fileServesImei_ = IndexServesImei(db, quotedTable);
        const std::string all = "SELECT rowid, " + std::string(kImeiText) + " FROM " + quotedTable;
        byRowid_ = !fileServesImei_ && db.Prepares(all);
        if (byRowid_) {
            SqliteStatement rows(db, all);
            while (rows.Step()) {
                if (!rows.IsNull(1))
                    rows_.emplace_back(HashOf(rows.Text(1)), rows.Integer(0));
            }
            std::sort(rows_.begin(), rows_.end());
        }
        indexed_ = stamp;
    }

    if (byRowid_) {
        const auto [begin, end] = std::equal_range(rows_.begin(), rows_.end(), std::make_pair(HashOf(imei), INT64_MIN),
                                                   [](const auto& a, const auto& b) { return a.first < b.first; });
        SqliteStatement row(db, "SELECT " + quotedColumn + " FROM " + quotedTable + " WHERE rowid = ?2 AND " +
                                    kImeiText + " = ?1 COLLATE BINARY" + wanted);
        for (auto at = begin; at != end; ++at) {
            const std::string rowid = std::to_string(at->second);
            row.Reset();
            row.Bind(1, &imei);
            row.Bind(2, &rowid);
            if (row.Step())
                return row.Text(0);
        }
        return std::nullopt;
    }
    // The file's own index finds the candidates (an integer column turns the
    // text into a number); the exact comparison decides.
    const std::string candidates = fileServesImei_ ? "\"IMEI\" IN (?1, CAST(?1 AS INTEGER)) AND " : "";
    const std::string query = "SELECT " + quotedColumn + " FROM " + quotedTable + " WHERE " + candidates +
                              kImeiText + " = ?1 COLLATE BINARY" + wanted;
    // Views and tables without rowid have no rowid to order by; their own
    // order stands.
    const std::string ordered = query + " ORDER BY rowid LIMIT 1";
    SqliteStatement first(db, db.Prepares(ordered) ? ordered : query + " LIMIT 1");
    first.Bind(1, &imei);
    if (!first.Step())
        return std::nullopt;
    return first.Text(0);
}
