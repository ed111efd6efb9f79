#include "mes/MesOutbox.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "records/ResultStore.h"

#include "records/SqliteDatabase.h"
#include "records/UnitJournal.h"

namespace {

// WAL lets the sender read and delete while the station adds. A commit is
// safe from a crash of the program when Add returns; the disk sync (which
// would make TEST FINISH wait for the disk once more) is the sender's, by
// Sync, for what the broker has not accepted shortly after.
constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS outbox ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " unique_id TEXT NOT NULL,"
    " queued_at TEXT NOT NULL,"
    " message TEXT NOT NULL);"
    // count(*) reads this small index, not the page of every message.
    "CREATE INDEX IF NOT EXISTS outbox_unique_id ON outbox (unique_id)";

constexpr const char* kWalSuffix = "-wal";

}  // namespace

MesOutbox::MesOutbox(const std::filesystem::path& file, bool checkpoints)
    : db_(std::make_unique<SqliteDatabase>(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
{
    db_->Execute(kSchema);
    if (!checkpoints)
        db_->Execute("PRAGMA wal_autocheckpoint=0");
    insert_ = std::make_unique<SqliteStatement>(*db_, "INSERT INTO outbox (unique_id, queued_at, message) VALUES (?, ?, ?)");
}

MesOutbox::~MesOutbox() = default;

void MesOutbox::Add(const std::string& uniqueId, const std::string& message)
{
    const std::string now = JournalTimeText(JournalClock::now());
    insert_->Reset();
    insert_->Bind(1, &uniqueId);
    insert_->Bind(2, &now);
    insert_->Bind(3, &message);
    insert_->Step();
    insert_->Reset();
}

std::vector<OutboxEntry> MesOutbox::After(int64_t afterId, int limit)
{
    SqliteStatement select(*db_, "SELECT id, unique_id, queued_at, message FROM outbox WHERE id > " +
                                     std::to_string(afterId) + " ORDER BY id LIMIT " + std::to_string(limit));
    std::vector<OutboxEntry> entries;
    while (select.Step())
        entries.push_back({select.Integer(0), select.Text(1), select.Text(2), select.Text(3)});
    return entries;
}

void MesOutbox::Remove(const std::vector<int64_t>& ids)
{
    std::string list;
    for (const int64_t id : ids)
        list += (list.empty() ? "" : ",") + std::to_string(id);
    SqliteStatement remove(*db_, "DELETE FROM outbox WHERE id IN (" + list + ")");
    remove.Step();
}

int64_t MesOutbox::Sync()
{
    SqliteStatement newest(*db_, "SELECT coalesce(max(id), 0) FROM outbox");
    newest.Step();
    const int64_t covered = newest.Integer(0);
    // The committed entries are in the write-ahead log; syncing it alone
    // costs less than a checkpoint.
    const std::string wal = db_->File() + kWalSuffix;
    const int fd = open(wal.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return covered;  // nothing was written since the last checkpoint
    const bool synced = fdatasync(fd) == 0;
    close(fd);
    if (!synced)
        throw StoreError(wal + ": cannot be synced to disk: " + std::strerror(errno));
    return covered;
}

int64_t MesOutbox::Count()
{
    SqliteStatement count(*db_, "SELECT count(*) FROM outbox");
    count.Step();
    return count.Integer(0);
}
