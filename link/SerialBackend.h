#pragma once

#include <cstddef>

// Handle of an open serial port; kInvalidSerialHandle when an open failed.
// A valid handle is never 0, which the AT port uses to mean "no port".
using SerialHandle = int;
inline constexpr SerialHandle kInvalidSerialHandle = -1;

// The raw device operations under the serial layer. The real backend drives
// a tty through termios; tests install a scripted one that runs in virtual
// time.
class SerialBackend {
public:
    virtual ~SerialBackend() = default;
    // Opens the device exclusively at `baud`, 8N1, no parity checking, and
    // with reads that return the bytes already queued or wait at most 200 ms
    // for a first byte. kInvalidSerialHandle when the device cannot be opened
    // or another program holds it.
    virtual SerialHandle Open(const char* path, int baud) = 0;
    // Discards both queues and releases the handle.
    virtual void Close(SerialHandle handle) = 0;
    // Discards both queues; 1 done, 0 failed.
    virtual int Purge(SerialHandle handle) = 0;
    // Bytes read (0 when nothing came within 200 ms), or a negative code.
    virtual int Read(SerialHandle handle, unsigned char* dest, int maxCount) = 0;
    // 1 when all bytes were written, 0 when the write failed.
    virtual int Write(SerialHandle handle, const unsigned char* bytes, int count) = 0;
    // The errno of the latest read when it failed, 0 when it did not.
    virtual int LastReadError() const { return 0; }
};

// The backend in use; the termios backend unless a test installed another.
SerialBackend& CurrentSerialBackend();

// Installs `backend` (nullptr restores the termios backend) and returns the
// previous one.
SerialBackend* InstallSerialBackend(SerialBackend* backend);
