#include "mes/MesOutboxLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kLockSuffix = ".lock";
constexpr mode_t kLockFileMode = 0644;
constexpr size_t kPidTextSize = 32;

std::string HolderOf(int fd)
{
    char text[kPidTextSize] = {};
    const ssize_t read = pread(fd, text, sizeof text - 1, 0);
    std::string pid = read > 0 ? std::string(text, static_cast<size_t>(read)) : "";
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' '))
        pid.pop_back();
    return pid.empty() ? "another process" : "process " + pid;
}

}  // namespace

std::unique_ptr<MesOutboxLock> MesOutboxLock::Take(const std::filesystem::path& outboxFile, std::string* error)
{
    const std::string file = outboxFile.string() + kLockSuffix;
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kLockFileMode);
    if (fd < 0) {
        *error = "the outbox lock " + file + " cannot be opened: " + std::strerror(errno);
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno;
        *error = failure == EWOULDBLOCK
                     ? "the outbox " + outboxFile.string() + " is held by another sender (" + HolderOf(fd) + ")"
                     : "the outbox lock " + file + " cannot be taken: " + std::strerror(failure);
        close(fd);
        return nullptr;
    }
    const std::string pid = std::to_string(getpid()) + "\n";
    if (ftruncate(fd, 0) != 0 || pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The lock holds without the name: a second sender is still kept out.
    }
    return std::unique_ptr<MesOutboxLock>(new MesOutboxLock(fd));
}

MesOutboxLock::~MesOutboxLock()
{
    close(fd_);
}
