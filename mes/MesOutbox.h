#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class SqliteDatabase;
class SqliteStatement;

inline constexpr const char* kMesOutboxFileName = "mes-outbox.db";

// One message waiting for the broker.
struct OutboxEntry {
    int64_t id = 0;  // the order of the entries; never reused
    std::string uniqueId;
    std::string queuedAt;  // when it was added, as the journal writes times
    std::string message;
};

// The messages that wait for the broker, in a SQLite file: an entry is
// added in one transaction and removed only once the broker accepted it, so
// a crash loses nothing. The station and the sender each open their own
// outbox on the same file. Failures throw StoreError with the reason.
class MesOutbox {
public:
    // Opens the file, creating it and its table when missing. Without
    // `checkpoints` this connection never copies the log into the file (a
    // disk sync): the station's outbox leaves that to the sender's.
    explicit MesOutbox(const std::filesystem::path& file, bool checkpoints = true);
    ~MesOutbox();
    MesOutbox(const MesOutbox&) = delete;
    MesOutbox& operator=(const MesOutbox&) = delete;

    void Add(const std::string& uniqueId, const std::string& message);
    // Up to `limit` entries after entry `afterId`, in order.
    std::vector<OutboxEntry> After(int64_t afterId, int limit);
    // Removes the entries in one transaction.
    void Remove(const std::vector<int64_t>& ids);
    int64_t Count();
    // Brings every committed entry to the disk (they survive a crash of the
    // program already, this makes them survive a power cut). Returns the
    // newest id it covers.
    int64_t Sync();

private:
    std::unique_ptr<SqliteDatabase> db_;
    std::unique_ptr<SqliteStatement> insert_;  // prepared once: Add is on TEST FINISH's path
};
