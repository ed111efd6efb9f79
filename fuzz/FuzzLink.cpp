#include "fuzz/FuzzLink.h"

#include <algorithm>
#include <cstring>

#include "atcmd/Atcmd.h"
#include "link/SerialPort.h"
#include "link/Trace.h"

namespace {

// Traces are dropped: the fuzzer's output stays readable.
class SilentSink final : public TraceSink {
public:
    void Write(const char*) override {}
};
SilentSink silentSink;

}  // namespace

FuzzSerial::FuzzSerial(FuzzClock& clock, const uint8_t* data, size_t size)
    : clock_(clock)
{
    size_t at = 0;
    while (at < size) {
        const size_t length = std::min<size_t>(data[at], size - at - 1);
        chunks_.emplace_back(reinterpret_cast<const char*>(data + at + 1), length);
        at += 1 + length;
    }
}

int FuzzSerial::Read(SerialHandle, unsigned char* dest, int maxCount)
{
    if (chunks_.empty() || chunks_.front().empty()) {
        if (!chunks_.empty())
            chunks_.pop_front();
        clock_.now += kReadWaitMs;
        return 0;
    }
    std::string& chunk = chunks_.front();
    const int n = std::min<int>(maxCount, static_cast<int>(chunk.size()));
    std::memcpy(dest, chunk.data(), static_cast<size_t>(n));
    chunk.erase(0, static_cast<size_t>(n));
    if (chunk.empty())
        chunks_.pop_front();
    return n;
}

FuzzUnit::FuzzUnit(const uint8_t* data, size_t size)
    : serial_(clock_, data, size)
    , previousClock_(InstallClock(&clock_))
    , previousBackend_(InstallSerialBackend(&serial_))
{
    InstallTraceSink(&silentSink);
    AtOpen("/dev/ttyFUZZ");
}

FuzzUnit::~FuzzUnit()
{
    AtClose();
    InstallClock(previousClock_);
    InstallSerialBackend(previousBackend_);
}
