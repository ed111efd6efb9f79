#include "mes/MesOutbox.h"

#include <sqlite3.h>

#include "records/ResultStore.h"
#include "records/SqliteDatabase.h"

namespace {

// WAL lets `rurizuda-mes list` read while the sender writes; FULL syncs the
// log at each commit, so an entry that was added survives a power cut.
constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=FULL;"
    "CREATE TABLE IF NOT EXISTS outbox ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " unique_id TEXT NOT NULL,"
    " queued_at TEXT NOT NULL,"
    " message TEXT NOT NULL);"
    // count(*) reads this small index, not the page of every message.
    "CREATE INDEX IF NOT EXISTS outbox_unique_id ON outbox (unique_id);"
    "CREATE TABLE IF NOT EXISTS dead_letter ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " message_name TEXT NOT NULL,"
    " unique_id TEXT NOT NULL,"
    " queued_at TEXT NOT NULL,"
    " message TEXT NOT NULL,"
    " reason TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS held_line ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " line TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS journal_cursor ("
    " one INTEGER PRIMARY KEY CHECK (one = 1),"
    " file TEXT NOT NULL,"
    " offset INTEGER NOT NULL)";

// Columns that outboxes of earlier versions lack.
constexpr const char* kAddedColumns[][2] = {
    {"message_name", "ALTER TABLE outbox ADD COLUMN message_name TEXT NOT NULL DEFAULT ''"},
    {"rejections", "ALTER TABLE outbox ADD COLUMN rejections INTEGER NOT NULL DEFAULT 0"},
    {"unit_line", "ALTER TABLE outbox ADD COLUMN unit_line TEXT NOT NULL DEFAULT ''"},
    {"unit_source", "ALTER TABLE outbox ADD COLUMN unit_source TEXT NOT NULL DEFAULT ''"},
    {"unit_position", "ALTER TABLE outbox ADD COLUMN unit_position INTEGER NOT NULL DEFAULT 0"},
};

constexpr const char* kUnreadableLine = "the unit's journal line kept in the outbox cannot be read";

constexpr const char* kEntryColumns =
    "id, unique_id, queued_at, message, message_name, rejections, unit_line, unit_source, unit_position";
// Outboxes of earlier versions opened read-only lack the newer columns.
constexpr const char* kFirstEntryColumns = "id, unique_id, queued_at, message, '', 0, '', '', 0";
constexpr const char* kNamedEntryColumns =
    "id, unique_id, queued_at, message, message_name, rejections, '', '', 0";

int OpenFlags(OutboxAccess access)
{
    return access == OutboxAccess::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
}

}  // namespace

// BEGIN IMMEDIATE ... COMMIT, rolled back when left by an exception.
class MesOutbox::Transaction {
public:
    explicit Transaction(SqliteDatabase& db)
        : db_(db)
    {
        db_.Execute("BEGIN IMMEDIATE");
    }
    ~Transaction()
    {
        if (!committed_)
            sqlite3_exec(db_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void Commit()
    {
        db_.Execute("COMMIT");
        committed_ = true;
    }

private:
    SqliteDatabase& db_;
    bool committed_ = false;
};

MesOutbox::MesOutbox(const std::filesystem::path& file, OutboxAccess access)
    : db_(std::make_unique<SqliteDatabase>(file.string(), OpenFlags(access)))
{
    if (access == OutboxAccess::ReadOnly)
        return;
    writable_ = true;
    db_->Execute(kSchema);
    for (const auto& [column, alter] : kAddedColumns) {
        if (!db_->Prepares(std::string("SELECT ") + column + " FROM outbox"))
            db_->Execute(alter);
    }
    insert_ = std::make_unique<SqliteStatement>(
        *db_,
        "INSERT INTO outbox (message_name, unique_id, queued_at, message, unit_line, unit_source, unit_position)"
        " VALUES (?, ?, ?, ?, ?, ?, ?)");
}

MesOutbox::~MesOutbox() = default;

void MesOutbox::Add(const std::vector<OutboxMessage>& messages, const std::optional<JournalPosition>& cursor,
                    const std::vector<std::string>& held)
{
    Transaction transaction(*db_);
    for (const std::string& line : held) {
        SqliteStatement hold(*db_, "INSERT INTO held_line (line) VALUES (?)");
        hold.Bind(1, &line);
        hold.Step();
    }
    InsertMessages(messages);
    if (cursor)
        SetCursor(*cursor);
    transaction.Commit();
}

void MesOutbox::Add(const OutboxMessage& message, const std::optional<JournalPosition>& cursor)
{
    Add(std::vector<OutboxMessage> {message}, cursor);
}

void MesOutbox::Add(const std::string& uniqueId, const std::string& message)
{
    Add(OutboxMessage {"", uniqueId, message});
}

std::optional<JournalPosition> MesOutbox::Cursor()
{
    if (!db_->Prepares("SELECT file, offset FROM journal_cursor"))
        return std::nullopt;
    SqliteStatement select(*db_, "SELECT file, offset FROM journal_cursor");
    if (!select.Step())
        return std::nullopt;
    return JournalPosition {select.Text(0), select.Integer(1)};
}

void MesOutbox::SetCursor(const JournalPosition& cursor)
{
    SqliteStatement upsert(*db_, "INSERT OR REPLACE INTO journal_cursor (one, file, offset) VALUES (1, ?, " +
                                     std::to_string(cursor.offset) + ")");
    upsert.Bind(1, &cursor.file);
    upsert.Step();
}

void MesOutbox::InsertMessages(const std::vector<OutboxMessage>& messages)
{
    const std::string now = JournalTimeText(JournalClock::now());
    for (const OutboxMessage& message : messages) {
        insert_->Reset();
        insert_->Bind(1, &message.name);
        insert_->Bind(2, &message.uniqueId);
        insert_->Bind(3, &now);
        insert_->Bind(4, &message.json);
        insert_->Bind(5, &message.unitLine);
        insert_->Bind(6, &message.sender.handle);
        const std::string position = std::to_string(message.sender.positionNumber);
        insert_->Bind(7, &position);
        insert_->Step();
        insert_->Reset();
    }
}

std::vector<std::pair<int64_t, std::string>> MesOutbox::Held()
{
    std::vector<std::pair<int64_t, std::string>> lines;
    if (!db_->Prepares("SELECT id FROM held_line"))
        return lines;
    SqliteStatement select(*db_, "SELECT id, line FROM held_line ORDER BY id");
    while (select.Step())
        lines.emplace_back(select.Integer(0), select.Text(1));
    return lines;
}

void MesOutbox::Release(int64_t id, const std::vector<OutboxMessage>& messages)
{
    Transaction transaction(*db_);
    SqliteStatement release(*db_, "DELETE FROM held_line WHERE id = " + std::to_string(id));
    release.Step();
    InsertMessages(messages);
    transaction.Commit();
}

std::vector<OutboxEntry> MesOutbox::After(int64_t afterId, int limit)
{
    const char* columns = db_->Prepares("SELECT unit_line FROM outbox")                ? kEntryColumns
                          : db_->Prepares("SELECT message_name, rejections FROM outbox") ? kNamedEntryColumns
                                                                                         : kFirstEntryColumns;
    std::vector<OutboxEntry> entries;
    std::vector<std::pair<std::string, CfxSender>> lines;
    {
        SqliteStatement select(*db_, std::string("SELECT ") + columns + " FROM outbox WHERE id > " +
                                         std::to_string(afterId) + " ORDER BY id LIMIT " + std::to_string(limit));
        while (select.Step()) {
            entries.push_back({select.Integer(0), select.Text(1), select.Text(2), select.Text(3), select.Text(4),
                               static_cast<int>(select.Integer(5))});
            lines.emplace_back(select.Text(6), CfxSender {select.Text(7), static_cast<int>(select.Integer(8))});
        }
    }
    std::vector<OutboxEntry> made;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].message.empty() && !lines[i].first.empty() &&
            !MakeUnitMessage(entries[i], lines[i].first, lines[i].second))
            continue;
        made.push_back(std::move(entries[i]));
    }
    return made;
}

bool MesOutbox::MakeUnitMessage(OutboxEntry& entry, const std::string& line, const CfxSender& sender)
{
    const auto unit = ParseUnitJournalLine(line);
    if (!unit) {
        if (writable_)
            Bury(entry.id, kUnreadableLine);
        return !writable_;
    }
    const CfxMessage message = UnitsTestedMessage(*unit, sender);
    entry.uniqueId = message.uniqueId;
    entry.message = message.json;
    if (writable_) {
        SqliteStatement keep(*db_, "UPDATE outbox SET unique_id = ?, message = ?, unit_line = '' WHERE id = " +
                                       std::to_string(entry.id));
        keep.Bind(1, &entry.uniqueId);
        keep.Bind(2, &entry.message);
        keep.Step();
    }
    return true;
}

void MesOutbox::Remove(const std::vector<int64_t>& ids)
{
    std::string list;
    for (const int64_t id : ids)
        list += (list.empty() ? "" : ",") + std::to_string(id);
    // Not waited for on the disk: a removal a power cut undoes sends the
    // message again, a repeat the MES drops by its UniqueID; the next entry
    // added syncs it with its own. The next message goes out that much sooner.
    db_->Execute("PRAGMA synchronous=NORMAL");
    try {
        SqliteStatement remove(*db_, "DELETE FROM outbox WHERE id IN (" + list + ")");
        remove.Step();
    } catch (...) {
        db_->Execute("PRAGMA synchronous=FULL");
        throw;
    }
    db_->Execute("PRAGMA synchronous=FULL");
}

int MesOutbox::CountRejection(int64_t id)
{
    const std::string where = " WHERE id = " + std::to_string(id);
    SqliteStatement update(*db_, "UPDATE outbox SET rejections = rejections + 1" + where);
    update.Step();
    SqliteStatement select(*db_, "SELECT rejections FROM outbox" + where);
    return select.Step() ? static_cast<int>(select.Integer(0)) : 0;
}

void MesOutbox::Bury(int64_t id, const std::string& reason)
{
    Transaction transaction(*db_);
    SqliteStatement move(*db_,
                         "INSERT INTO dead_letter (message_name, unique_id, queued_at, message, reason)"
                         " SELECT message_name, unique_id, queued_at, message, ? FROM outbox WHERE id = " +
                             std::to_string(id));
    move.Bind(1, &reason);
    move.Step();
    SqliteStatement remove(*db_, "DELETE FROM outbox WHERE id = " + std::to_string(id));
    remove.Step();
    transaction.Commit();
}

std::vector<DeadLetter> MesOutbox::DeadLetters()
{
    std::vector<DeadLetter> letters;
    if (!db_->Prepares("SELECT id FROM dead_letter"))
        return letters;
    SqliteStatement select(*db_, "SELECT id, unique_id, message_name, queued_at, reason FROM dead_letter ORDER BY id");
    while (select.Step())
        letters.push_back({select.Integer(0), select.Text(1), select.Text(2), select.Text(3), select.Text(4)});
    return letters;
}

int64_t MesOutbox::DeadLetterCount()
{
    if (!db_->Prepares("SELECT id FROM dead_letter"))
        return 0;
    SqliteStatement count(*db_, "SELECT count(*) FROM dead_letter");
    count.Step();
    return count.Integer(0);
}

int64_t MesOutbox::RetryDeadLetters()
{
    Transaction transaction(*db_);
    const int64_t count = DeadLetterCount();
    db_->Execute(
        "INSERT INTO outbox (message_name, unique_id, queued_at, message)"
        " SELECT message_name, unique_id, queued_at, message FROM dead_letter ORDER BY id;"
        "DELETE FROM dead_letter");
    transaction.Commit();
    return count;
}

int64_t MesOutbox::Count()
{
    SqliteStatement count(*db_, "SELECT count(*) FROM outbox");
    count.Step();
    return count.Integer(0);
}
