#pragma once

#include "link/SerialBackend.h"

// Serial ports as POSIX ttys. A path that is not a terminal is refused at
// open, since a read on it could block for ever. Exclusive access is an advisory whole-file lock
// (flock), so a second opener in this or another process fails even as root.
class TermiosSerial final : public SerialBackend {
public:
    SerialHandle Open(const char* path, int baud) override;
    void Close(SerialHandle handle) override;
    int Purge(SerialHandle handle) override;
    int Read(SerialHandle handle, unsigned char* dest, int maxCount) override;
    int Write(SerialHandle handle, const unsigned char* bytes, int count) override;
    int LastReadError() const override { return lastReadError_; }

private:
    int lastReadError_ = 0;
};

// Read failure code of the serial layer: the read could not be carried out.
inline constexpr int kSerialReadFailed = -2;
