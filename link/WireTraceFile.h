#pragma once

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/WireTrace.h"

// A wire trace written to a file without holding up the device link: Record
// stamps the chunk with the link clock and queues it; a writer thread of its
// own formats the queued lines and appends them to the file. The file is
// opened for appending, so several runs can add to one trace.
class WireTraceFile final : public WireTraceSink {
public:
    WireTraceFile();
    // Writes what is queued, closes the file and ends the writer.
    ~WireTraceFile() override;
    WireTraceFile(const WireTraceFile&) = delete;
    WireTraceFile& operator=(const WireTraceFile&) = delete;

    // Writes what is queued for the open file, closes it and opens `path`
    // (created when missing). On failure no file is open, chunks are
    // dropped, and `error` says why.
    bool Open(const std::filesystem::path& path, std::string& error);
    // Writes what is queued and closes the file. Nothing when none is open.
    void Close();
    // Returns once everything recorded so far is in the file.
    void Flush();

    bool IsOpen() const;
    std::filesystem::path Path() const;
    // Chunks that could not be written (a full disk), since the file opened.
    int LostChunks() const;

    void Record(WireDirection direction, const unsigned char* bytes, int count) override;

private:
    void WriterLoop();
    // Called with mutex_ held: waits until the writer has written everything.
    void Drain(std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable drained_;
    std::vector<WireChunk> queue_;
    bool writing_ = false;
    bool stop_ = false;
    int fd_ = -1;
    int lost_ = 0;
    std::filesystem::path path_;
    std::thread writer_;
};
