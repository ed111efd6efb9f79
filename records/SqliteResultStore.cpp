// Result files in SQLite: SNTable in PASS.mdb or FAIL.mdb. Each store is one
// write transaction (BEGIN IMMEDIATE): a new file gets its table and its
// first row in the same commit, and two stations sharing a folder cannot
// both pass the duplicate check for the same unit.
#include <sqlite3.h>

#include <filesystem>

#include "records/ResultStore.h"
#include "records/SqliteDatabase.h"

namespace {

const std::string kTable = QuoteIdentifier(kResultTable);

// Indexes the station adds to the result files it opens, one per identity,
// so that the duplicate check never walks the table. Readers of SNTable see
// no difference.
std::string IndexStatement(Column key)
{
    const std::string column = kColumnNames[static_cast<size_t>(key)];
    return "CREATE INDEX IF NOT EXISTS " + QuoteIdentifier("rurizuda_" + std::string(kResultTable) + "_" + column) +
           " ON " + kTable + "(" + QuoteIdentifier(column) + ")";
}

std::string InsertStatement()
{
    std::string columns;
    std::string values;
    for (size_t i = 0; i < kColumnCount; ++i) {
        columns += (i ? "," : "") + QuoteIdentifier(kColumnNames[i]);
        values += (i ? ",?" : "?") + std::to_string(i + 1);
    }
    return "INSERT INTO " + kTable + " (" + columns + ") VALUES (" + values + ")";
}

class SqliteStoreTransaction final : public StoreTransaction {
public:
    explicit SqliteStoreTransaction(const std::string& file)
        : db_(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
    {
        db_.Execute("BEGIN IMMEDIATE");
        if (IsEmptyFile()) {
            db_.Execute(kCreateResultTable);
            created_ = true;
        } else if (!HasResultTable()) {
            throw StoreError(file + " is not a station result file: it has no table " + kResultTable);
        }
        for (Column key : kDuplicateKeys)
            db_.Execute(IndexStatement(key).c_str());
    }

    ~SqliteStoreTransaction() override
    {
        if (!committed_)
            sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }

    std::optional<Column> FindDuplicate(const ResultRow& row) override
    {
        std::optional<Column> found;
        long long firstRow = 0;
        for (Column key : kDuplicateKeys) {
            if (row[key].empty())
                continue;
            SqliteStatement first(db_, "SELECT rowid FROM " + kTable + " WHERE " +
                                           QuoteIdentifier(kColumnNames[static_cast<size_t>(key)]) +
                                           " = ?1 ORDER BY rowid LIMIT 1");
            first.Bind(1, &row[key]);
            // A later key wins only with an earlier row: within one row the
            // keys count in their order.
            if (first.Step() && (!found || first.Integer(0) < firstRow)) {
                found = key;
                firstRow = first.Integer(0);
            }
        }
        return found;
    }

    void Insert(const ResultRow& row) override
    {
        SqliteStatement insert(db_, InsertStatement());
        for (size_t i = 0; i < kColumnCount; ++i)
            insert.Bind(static_cast<int>(i + 1), &row[static_cast<Column>(i)]);
        insert.Step();
    }

    bool Commit() override
    {
        db_.Execute("COMMIT");
        committed_ = true;
        return created_;
    }

private:
    // A file the engine has just made, or one of zero bytes: nothing has
    // been written to it yet (the write lock keeps it so).
    bool IsEmptyFile()
    {
        std::error_code error;
        const auto size = std::filesystem::file_size(db_.File(), error);
        return error || size == 0;
    }

    bool HasResultTable()
    {
        SqliteStatement table(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
        const std::string name = kResultTable;
        table.Bind(1, &name);
        return table.Step();
    }

    SqliteDatabase db_;
    bool created_ = false;
    bool committed_ = false;
};

class SqliteResultStore final : public ResultStore {
public:
    std::unique_ptr<StoreTransaction> Begin(const std::string& location) override
    {
        return std::make_unique<SqliteStoreTransaction>(location);
    }
};

}  // namespace

std::unique_ptr<ResultStore> MakeSqliteResultStore()
{
    return std::make_unique<SqliteResultStore>();
}
