#include "records/SqliteDatabase.h"

#include <sqlite3.h>

#include <cerrno>

#include "records/ResultStore.h"

SqliteDatabase::SqliteDatabase(const std::string& file, int flags)
    : file_(file)
{
    const int rc = sqlite3_open_v2(file.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        // The destructor does not run for a constructor that throws.
        const std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw StoreError(file_ + ": " + reason);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
}

SqliteDatabase::~SqliteDatabase()
{
    sqlite3_close_v2(db_);
}

void SqliteDatabase::Fail(int rc) const
{
    const std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    const int primary = rc & 0xff;
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw StoreError(file_ + " is in use by another program (" + reason + "); try again when it is free");
    // A write refused for room reaches the engine as a full disk only when
    // the disk is full; a file-size limit or a quota comes as a plain write
    // error, and its system error may be gone by the time it is reported.
    const int cause = db_ ? sqlite3_system_errno(db_) : 0;
    if (primary == SQLITE_FULL || rc == SQLITE_IOERR_WRITE || cause == ENOSPC || cause == EFBIG || cause == EDQUOT)
        throw StoreError(file_ + " could not be written: the disk is full, the file reached its size limit or the disk failed (" +
                         reason + ")");
    throw StoreError(file_ + ": " + reason);
}

void SqliteDatabase::Execute(const char* sql)
{
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        Fail(rc);
}

bool SqliteDatabase::Prepares(const std::string& sql)
{
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    sqlite3_finalize(stmt);
    if ((rc & 0xff) == SQLITE_NOTADB || (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_CORRUPT)
        Fail(rc);
    return rc == SQLITE_OK;
}

SqliteStatement::SqliteStatement(SqliteDatabase& db, const std::string& sql)
    : db_(db)
{
    const int rc = sqlite3_prepare_v2(db.Handle(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        db.Fail(rc);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(stmt_);
}

void SqliteStatement::Bind(int index, const std::string* text)
{
    const int rc = text ? sqlite3_bind_text(stmt_, index, text->data(), static_cast<int>(text->size()), SQLITE_TRANSIENT)
                        : sqlite3_bind_null(stmt_, index);
    if (rc != SQLITE_OK)
        db_.Fail(rc);
}

bool SqliteStatement::Step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    db_.Fail(rc);
}

void SqliteStatement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

bool SqliteStatement::IsNull(int index) const
{
    return sqlite3_column_type(stmt_, index) == SQLITE_NULL;
}

std::string SqliteStatement::Text(int index) const
{
    const auto* text = sqlite3_column_text(stmt_, index);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(stmt_, index)) : std::string();
}

long long SqliteStatement::Integer(int index) const
{
    return sqlite3_column_int64(stmt_, index);
}

std::string QuoteIdentifier(const std::string& name)
{
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}
