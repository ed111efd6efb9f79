// Result files in SQLite: SNTable in PASS.mdb or FAIL.mdb. Each store is one
// write transaction (BEGIN IMMEDIATE), so two stations sharing a folder
// cannot both pass the duplicate check for the same unit. A new file comes
// with its table in one step. Once a file has its name it stays, whatever
// becomes of the store that made it: another store may already have opened
// it and committed its row there.
#include "records/SqliteResultStore.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Which file a path names now: device and inode; nothing when it names none.
using FileIdentity = std::optional<std::pair<dev_t, ino_t>>;

FileIdentity IdentityOf(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::make_pair(status.st_dev, status.st_ino);
}

// The file was removed (by hand, or by a program other than a station)
// while this store waited for its lock: the store begins again on the path.
struct FileRemovedMeanwhile {};

// How often a store begins again on a removed file before it gives up.
constexpr int kBeginAttempts = 3;

// How many names a temporary file tries before the store gives up.
constexpr int kTemporaryNameAttempts = 16;
// Permissions of a new result file, as the engine gives the files it makes.
constexpr mode_t kResultFileMode = 0644;

// Errors of link() that say the file cannot be made in this folder at all.
bool CannotMakeFiles(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EACCES || error == EROFS;
}

// Makes an empty temporary file beside `file` under a name no other store
// uses (the process id and a random part; the exclusive create settles any
// meeting), and returns its name.
std::string MakeTemporaryBeside(const std::string& file)
{
    std::random_device entropy;
    int error = 0;
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        char part[16];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(entropy()));
        const std::string name = file + ".new-" + std::to_string(getpid()) + "-" + part;
        const int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, kResultFileMode);
        if (fd >= 0) {
            close(fd);
            return name;
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    // In the engine's words, as when it cannot open a file itself.
    throw StoreError(file + ": unable to open database file (" + std::strerror(error) + ")");
}

// Brings a missing result file into being with its table in one step: the
// table is made in a temporary file of this store's own beside it, which
// then takes the name unless another store made the file meanwhile. Only
// the temporary file is ever removed again. True when this call made the
// file; false when another store did, or when the folder's file system
// cannot link (the store then makes the file in place, as an empty file
// first).
bool MakeResultFile(const std::string& file, const SqliteStoreSteps& steps)
{
    const std::string temporary = MakeTemporaryBeside(file);
    bool made = false;
    try {
        {
            SqliteDatabase db(temporary, SQLITE_OPEN_READWRITE);
            db.Execute(kCreateResultTable);
        }
        if (steps.temporaryMade)
            steps.temporaryMade(temporary);
        made = link(temporary.c_str(), file.c_str()) == 0;
        const int error = errno;
        if (!made && CannotMakeFiles(error))
            throw StoreError(file + " could not be created: " + std::strerror(error));
    } catch (...) {
        unlink(temporary.c_str());
        unlink((temporary + "-journal").c_str());
        throw;
    }
    unlink(temporary.c_str());
    if (made && steps.fileMade)
        steps.fileMade();
    return made;
}

class SqliteStoreTransaction final : public StoreTransaction {
public:
    SqliteStoreTransaction(const std::string& file, const SqliteStoreSteps& steps)
        : created_(!std::filesystem::exists(file) && MakeResultFile(file, steps))
        , db_(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
        , identity_(IdentityOf(file))
    {
        db_.Execute("BEGIN IMMEDIATE");
        if (IdentityOf(file) != identity_) {
            sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw FileRemovedMeanwhile {};
        }
        try {
            if (IsEmptyFile()) {
                db_.Execute(kCreateResultTable);
                created_ = true;
            } else if (!HasResultTable()) {
                throw StoreError(file + " is not a station result file: it has no table " + kResultTable);
            }
            for (Column key : kDuplicateKeys)
                db_.Execute(IndexStatement(key).c_str());
        } catch (...) {
            RollBack();
            throw;
        }
    }

    ~SqliteStoreTransaction() override
    {
        if (!committed_)
            RollBack();
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
    // Ends the store without its row. The file stays, even one this store
    // made: from the moment it had its name another store may have opened
    // it, and that store's committed row is in it. Left without a row it is
    // still a whole result file with its table (or an empty file, which the
    // next store gives its table).
    void RollBack() { sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr); }

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

    bool created_;  // this store brought the file (or its table) into being
    SqliteDatabase db_;
    FileIdentity identity_;
    bool committed_ = false;
};

class SqliteResultStore final : public ResultStore {
public:
    explicit SqliteResultStore(SqliteStoreSteps steps)
        : steps_(std::move(steps))
    {
    }

    std::unique_ptr<StoreTransaction> Begin(const std::string& location) override
    {
        for (int attempt = 1;; ++attempt) {
            try {
                return std::make_unique<SqliteStoreTransaction>(location, steps_);
            } catch (const FileRemovedMeanwhile&) {
                if (attempt == kBeginAttempts)
                    throw StoreError(location + ": the file was removed while the store waited for it");
            }
        }
    }

    bool Holds(const std::string& location, const ResultRow& row) override
    {
        if (!std::filesystem::exists(location))
            return false;
        // Read-write without create: a store torn by a crash mid-commit
        // left a journal that only a writer can roll back before reading.
        SqliteDatabase db(location, SQLITE_OPEN_READWRITE);
        const std::string find = "SELECT 1 FROM " + kTable + " WHERE " + QuoteIdentifier(kColumnNames[static_cast<size_t>(Column::Sn)]) +
                                 " = ?1 AND " + QuoteIdentifier(kColumnNames[static_cast<size_t>(Column::Dtime)]) + " = ?2 LIMIT 1";
        // An empty file, or one without the table: no row yet.
        if (!db.Prepares(find))
            return false;
        SqliteStatement select(db, find);
        select.Bind(1, &row[Column::Sn]);
        select.Bind(2, &row[Column::Dtime]);
        return select.Step();
    }

private:
    SqliteStoreSteps steps_;
};

}  // namespace

std::unique_ptr<ResultStore> MakeSqliteResultStore()
{
    return MakeSqliteResultStore(SqliteStoreSteps {});
}

std::unique_ptr<ResultStore> MakeSqliteResultStore(SqliteStoreSteps steps)
{
    return std::make_unique<SqliteResultStore>(std::move(steps));
}
