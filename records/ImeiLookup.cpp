#include "records/ImeiLookup.h"

#include <sqlite3.h>

#include "records/SqliteDatabase.h"

std::optional<std::string> LookUpByImei(const std::string& file, const std::string& table, const std::string& column,
                                        const std::string& imei)
{
    SqliteDatabase db(file, SQLITE_OPEN_READWRITE);
    const std::string quotedTable = QuoteIdentifier(table);
    const std::string quotedColumn = QuoteIdentifier(column);
    // Best effort: a view, a read-only or busy file simply keeps walking.
    const std::string index = "CREATE INDEX IF NOT EXISTS " + QuoteIdentifier("rurizuda_" + table + "_IMEI") + " ON " +
                              quotedTable + "(\"IMEI\")";
    sqlite3_busy_timeout(db.Handle(), 0);
    sqlite3_exec(db.Handle(), index.c_str(), nullptr, nullptr, nullptr);
    sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);

    const std::string query = "SELECT " + quotedColumn + " FROM " + quotedTable + " WHERE \"IMEI\" = ?1 AND " +
                              quotedColumn + " IS NOT NULL";
    // Views and tables without rowid have no rowid to order by; their own
    // order stands.
    const std::string ordered = query + " ORDER BY rowid LIMIT 1";
    SqliteStatement first(db, db.Prepares(ordered) ? ordered : query + " LIMIT 1");
    first.Bind(1, &imei);
    if (!first.Step())
        return std::nullopt;
    return first.Text(0);
}
