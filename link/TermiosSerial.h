#pragma once

#include "link/SerialBackend.h"

// Serial ports as POSIX ttys. Exclusive access is an advisory whole-file lock
// (flock), so a second opener in this or another process fails even as root.
class TermiosSerial final : public SerialBackend {
public:
    SerialHandle Open(const char* path, int baud) override;
    void Close(SerialHandle handle) override;
    int Purge(SerialHandle handle) override;
    int Read(SerialHandle handle, unsigned char* dest, int maxCount) override;
    int Write(SerialHandle handle, const unsigned char* bytes, int count) override;
};

// Read failure code of the serial layer: the read could not be carried out.
inline constexpr int kSerialReadFailed = -2;
