#include "mes/MesOutbox.h"

#include <sqlite3.h>

#include "records/SqliteDatabase.h"
#include "records/UnitJournal.h"

namespace {

// WAL lets the sender read and delete while the station adds; every commit
// reaches the disk before Add returns.
constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=FULL;"
    "CREATE TABLE IF NOT EXISTS outbox ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " unique_id TEXT NOT NULL,"
    " queued_at TEXT NOT NULL,"
    " message TEXT NOT NULL)";

}  // namespace

MesOutbox::MesOutbox(const std::filesystem::path& file)
    : db_(std::make_unique<SqliteDatabase>(file.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE))
{
    db_->Execute(kSchema);
}

MesOutbox::~MesOutbox() = default;

void MesOutbox::Add(const std::string& uniqueId, const std::string& message)
{
    SqliteStatement insert(*db_, "INSERT INTO outbox (unique_id, queued_at, message) VALUES (?, ?, ?)");
    const std::string now = JournalTimeText(JournalClock::now());
    insert.Bind(1, &uniqueId);
    insert.Bind(2, &now);
    insert.Bind(3, &message);
    insert.Step();
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

void MesOutbox::Remove(int64_t id)
{
    SqliteStatement remove(*db_, "DELETE FROM outbox WHERE id = " + std::to_string(id));
    remove.Step();
}

int64_t MesOutbox::Count()
{
    SqliteStatement count(*db_, "SELECT count(*) FROM outbox");
    count.Step();
    return count.Integer(0);
}
