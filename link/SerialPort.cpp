#include "link/SerialPort.h"

#include <cstring>

#include "link/Clock.h"
#include "link/TermiosSerial.h"
#include "link/WireTrace.h"

namespace {
TermiosSerial termiosBackend;
SerialBackend* installedBackend = nullptr;
}  // namespace

SerialBackend& CurrentSerialBackend()
{
    return installedBackend ? *installedBackend : termiosBackend;
}

SerialBackend* InstallSerialBackend(SerialBackend* backend)
{
    SerialBackend* previous = installedBackend;
    installedBackend = backend;
    return previous;
}

SerialHandle SerialOpen(const char* path, int baud)
{
    return CurrentSerialBackend().Open(path, baud);
}

void SerialClose(SerialHandle handle)
{
    CurrentSerialBackend().Close(handle);
}

int SerialPurge(SerialHandle handle)
{
    return CurrentSerialBackend().Purge(handle);
}

int SerialRead(SerialHandle handle, unsigned char* dest, int maxCount)
{
    const int count = CurrentSerialBackend().Read(handle, dest, maxCount);
    if (WireTraceSink* trace = InstalledWireTrace(); trace && count > 0)
        trace->Record(WireDirection::Received, dest, count);
    return count;
}

int SerialWrite(SerialHandle handle, const unsigned char* bytes, int count)
{
    const int written = CurrentSerialBackend().Write(handle, bytes, count);
    if (WireTraceSink* trace = InstalledWireTrace(); trace && written == 1)
        trace->Record(WireDirection::Sent, bytes, count);
    return written;
}

int SerialLastReadError()
{
    return CurrentSerialBackend().LastReadError();
}

int SendPackage(SerialHandle handle, const unsigned char* payload, unsigned char length, int mode)
{
    if (mode == kPackageModeRaw)
        return SerialWrite(handle, payload, length);
    if (mode != kPackageModeAt)
        return 0;
    unsigned char package[kPackageBufferSize];
    package[0] = 'A';
    package[1] = 'T';
    if (length > 0)
        std::memcpy(package + 2, payload, length);
    package[2 + length] = '\r';
    package[3 + length] = '\n';
    return SerialWrite(handle, package, length + 4);
}

int ReceivePackage(SerialHandle handle, unsigned char* dest)
{
    unsigned char received[kMaxReceiveCount] = {};
    const int count = SerialRead(handle, received, kMaxReceiveCount);
    if (count <= 0) {
        CurrentClock().Sleep(kEmptyPollSleepMs);
        return 0;
    }
    dest[0] = static_cast<unsigned char>(count);
    std::memcpy(dest + 1, received, static_cast<size_t>(count));
    return 1;
}
