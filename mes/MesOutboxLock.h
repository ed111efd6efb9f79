#pragma once

#include <filesystem>
#include <memory>
#include <string>

// The one sender of an outbox: an exclusive lock on a file beside it
// (OUTBOX.lock) that names the holding process, held for the object's life
// and let go by the system when the process ends, however it ends.
class MesOutboxLock {
public:
    // The lock, or nothing with `error` naming the process that holds it.
    static std::unique_ptr<MesOutboxLock> Take(const std::filesystem::path& outboxFile, std::string* error);
    ~MesOutboxLock();
    MesOutboxLock(const MesOutboxLock&) = delete;
    MesOutboxLock& operator=(const MesOutboxLock&) = delete;

private:
    explicit MesOutboxLock(int fd)
        : fd_(fd)
    {
    }
    int fd_;
};
