#include "link/WireTraceFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "link/Clock.h"

namespace {

constexpr mode_t kTraceFileMode = 0644;

// Writes all of `text`; false when the file refused some of it.
bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            return false;
    }
    return true;
}

}  // namespace

WireTraceFile::WireTraceFile()
    : writer_([this] { WriterLoop(); })
{
}

WireTraceFile::~WireTraceFile()
{
    Close();
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    queued_.notify_one();
    writer_.join();
}

bool WireTraceFile::Open(const std::filesystem::path& path, std::string& error)
{
    Close();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kTraceFileMode);
    if (fd < 0) {
        error = "cannot open the wire trace " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    std::lock_guard lock(mutex_);
    fd_ = fd;
    path_ = path;
    lost_ = 0;
    return true;
}

void WireTraceFile::Close()
{
    std::unique_lock lock(mutex_);
    Drain(lock);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    path_.clear();
}

void WireTraceFile::Flush()
{
    std::unique_lock lock(mutex_);
    Drain(lock);
}

void WireTraceFile::Drain(std::unique_lock<std::mutex>& lock)
{
    drained_.wait(lock, [this] { return queue_.empty() && !writing_; });
}

bool WireTraceFile::IsOpen() const
{
    std::lock_guard lock(mutex_);
    return fd_ >= 0;
}

std::filesystem::path WireTraceFile::Path() const
{
    std::lock_guard lock(mutex_);
    return path_;
}

int WireTraceFile::LostChunks() const
{
    std::lock_guard lock(mutex_);
    return lost_;
}

void WireTraceFile::Record(WireDirection direction, const unsigned char* bytes, int count)
{
    const int64_t ms = CurrentClock().NowMs();
    {
        std::lock_guard lock(mutex_);
        if (fd_ < 0 || count <= 0)
            return;
        queue_.push_back({ms, direction, std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count))});
    }
    queued_.notify_one();
}

void WireTraceFile::WriterLoop()
{
    std::vector<WireChunk> batch;
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty() && stop_)
            return;
        batch.swap(queue_);
        const int fd = fd_;
        writing_ = true;
        lock.unlock();
        // The lines of a batch go out in one write().
        std::string text;
        for (const WireChunk& chunk : batch) {
            text += FormatWireLine(chunk);
            text += '\n';
        }
        const bool written = fd < 0 || WriteAll(fd, text);
        const int lost = written ? 0 : static_cast<int>(batch.size());
        batch.clear();
        lock.lock();
        lost_ += lost;
        writing_ = false;
        if (queue_.empty())
            drained_.notify_all();
    }
}
