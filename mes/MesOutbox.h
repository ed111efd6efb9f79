#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mes/UnitsTestedMessage.h"
#include "records/UnitJournal.h"

class SqliteDatabase;
class SqliteStatement;

inline constexpr const char* kMesOutboxFileName = "mes-outbox.db";

// A message for the broker as the outbox keeps it: any CFX message, by name.
struct OutboxMessage {
    std::string name;      // the envelope's MessageName
    std::string uniqueId;  // the envelope's UniqueID
    std::string json;      // the whole envelope
    // Or a UnitsTested message kept as its unit's journal line and sender
    // (json and uniqueId empty), made when first read: reading a long
    // journal back then writes a fifth as much.
    std::string unitLine = {};
    CfxSender sender = {};
};

// One message waiting for the broker.
struct OutboxEntry {
    int64_t id = 0;  // the order of the entries; never reused
    std::string uniqueId;
    std::string queuedAt;  // when it was added, as the journal writes times
    std::string message;
    std::string name;
    int rejections = 0;  // how often the broker rejected it so far
};

// A message the broker would not take, kept aside so it no longer holds up
// the rest.
struct DeadLetter {
    int64_t id = 0;
    std::string uniqueId;
    std::string name;
    std::string queuedAt;
    std::string reason;  // the broker's last word on it
};

enum class OutboxAccess { ReadWrite, ReadOnly };

// The messages that wait for the broker, in a SQLite file: an entry is
// added in one fully synced transaction (with the journal position it was
// made from, when it was) and removed only once the broker accepted it, so
// neither a crash nor a power cut loses one. Failures throw StoreError.
class MesOutbox {
public:
    // Opens the file; for reading and writing it is created with its tables
    // when missing. Read-only never writes to the file.
    explicit MesOutbox(const std::filesystem::path& file, OutboxAccess access = OutboxAccess::ReadWrite);
    ~MesOutbox();
    MesOutbox(const MesOutbox&) = delete;
    MesOutbox& operator=(const MesOutbox&) = delete;

    // Adds the messages and, when given, moves the journal cursor and keeps
    // the held journal lines, in one transaction on the disk when this
    // returns.
    void Add(const std::vector<OutboxMessage>& messages, const std::optional<JournalPosition>& cursor = {},
             const std::vector<std::string>& held = {});
    void Add(const OutboxMessage& message, const std::optional<JournalPosition>& cursor = {});
    // A message known only by its id and text (name left empty).
    void Add(const std::string& uniqueId, const std::string& message);
    // How far the journal was read into the outbox; nothing for a new outbox.
    std::optional<JournalPosition> Cursor();
    // Moves the cursor alone (past lines that give no message).
    void SetCursor(const JournalPosition& cursor);

    // Pending journal lines the cursor has passed whose store could not be
    // checked yet: id and line.
    std::vector<std::pair<int64_t, std::string>> Held();
    // Lets held line `id` go and adds the messages made of it, in one transaction.
    void Release(int64_t id, const std::vector<OutboxMessage>& messages);

    // Up to `limit` entries after entry `afterId`, in order. A message kept
    // as its unit's line is made here, and (read-write) kept from then on;
    // a line that cannot be read becomes a dead letter.
    std::vector<OutboxEntry> After(int64_t afterId, int limit);
    // Removes the entries in one transaction.
    void Remove(const std::vector<int64_t>& ids);
    // Counts one more rejection of entry `id`; the count so far.
    int CountRejection(int64_t id);
    // Moves entry `id` to the dead letters with the reason.
    void Bury(int64_t id, const std::string& reason);
    std::vector<DeadLetter> DeadLetters();
    int64_t DeadLetterCount();
    // Queues every dead letter again, after what waits; how many.
    int64_t RetryDeadLetters();
    int64_t Count();

private:
    class Transaction;

    // Inside a transaction.
    void InsertMessages(const std::vector<OutboxMessage>& messages);

    // The message of a unit kept as its line; false when the line cannot be read.
    bool MakeUnitMessage(OutboxEntry& entry, const std::string& line, const CfxSender& sender);

    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<SqliteStatement> insert_;
    bool writable_ = false;
};
