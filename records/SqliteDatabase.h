#pragma once

#include <string>

struct sqlite3;
struct sqlite3_stmt;

// How long an engine call waits for a lock another program holds.
inline constexpr int kBusyTimeoutMs = 5000;

// One open SQLite connection, closed with the object. Every failure throws
// StoreError with `file` and the engine's reason.
class SqliteDatabase {
public:
    // `flags` are sqlite3_open_v2 flags.
    SqliteDatabase(const std::string& file, int flags);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs statements that return no rows.
    void Execute(const char* sql);
    // Whether `sql` can be prepared (a missing table or column cannot).
    bool Prepares(const std::string& sql);
    sqlite3* Handle() const { return db_; }
    const std::string& File() const { return file_; }

    // Throws StoreError for result code `rc` of the last call.
    [[noreturn]] void Fail(int rc) const;

private:
    sqlite3* db_ = nullptr;
    std::string file_;
};

// A prepared statement, finalised with the object.
class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& db, const std::string& sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Binds parameter `index` (from 1) to a text; nullptr binds NULL.
    void Bind(int index, const std::string* text);
    // Steps once: true for a row, false when done.
    bool Step();
    void Reset();
    // Column `index` of the current row as text; nothing for NULL.
    bool IsNull(int index) const;
    std::string Text(int index) const;
    long long Integer(int index) const;

private:
    SqliteDatabase& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// `name` as an SQL identifier in double quotes, inner quotes doubled.
std::string QuoteIdentifier(const std::string& name);
