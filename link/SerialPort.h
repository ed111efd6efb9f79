#pragma once

#include "link/SerialBackend.h"

// The serial layer: stateless functions over one open port. Reads and
// writes block until they are done; the installed backend carries them out.

inline constexpr int kSerialPurgeAll = 15;       // both queues, pending reads and writes
inline constexpr int kPackageModeRaw = 0;         // payload sent unchanged
inline constexpr int kPackageModeAt = 1;          // "AT" + payload + CR LF
inline constexpr int kMaxPackagePayload = 255;    // payload length is one unsigned byte
inline constexpr int kPackageBufferSize = 264;    // local buffer of a framed package
inline constexpr int kMaxReceiveCount = 199;      // bytes one poll can deliver
inline constexpr int kEmptyPollSleepMs = 91;      // pause after a poll that delivered nothing
inline constexpr int kReadWaitMs = 200;           // longest wait of a read for its first byte

SerialHandle SerialOpen(const char* path, int baud);
void SerialClose(SerialHandle handle);
int SerialPurge(SerialHandle handle);
int SerialRead(SerialHandle handle, unsigned char* dest, int maxCount);
int SerialWrite(SerialHandle handle, const unsigned char* bytes, int count);
// The errno of the latest read when it failed (the unit unplugged: EIO,
// ENXIO), 0 when it delivered bytes or nothing.
int SerialLastReadError();

// Mode 0 writes the payload unchanged, mode 1 frames it as an AT command
// line; any other mode writes nothing. 1 sent, 0 not sent.
int SendPackage(SerialHandle handle, const unsigned char* payload, unsigned char length, int mode);

// Polls the port once. When bytes arrived, stores their count (1..199) in
// dest[0] and the bytes behind it and returns 1. Otherwise sleeps 91 ms,
// leaves dest untouched and returns 0. dest must hold 200 bytes.
int ReceivePackage(SerialHandle handle, unsigned char* dest);
