// Every device command against replies made by the fuzzer: chunk search and
// value extraction must stay inside the buffers the station hands in, which
// are exactly as large as the commands' maxima allow.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "atcmd/Atcmd.h"
#include "fuzz/FuzzLink.h"

namespace {

// A buffer of exactly `size` zero bytes on the heap, so any write past its
// end is caught.
std::vector<char> Buffer(size_t size)
{
    return std::vector<char>(size, '\0');
}

using Command = std::function<void()>;

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        [] { auto b = Buffer(kImeiMax + 1); AtReadImei(b.data()); },
        [] { auto b = Buffer(kMacMax + 1); AtReadMac(b.data()); },
        [] { auto v = Buffer(kVersionMax + 1), r = Buffer(kVersionMax + 1); AtReadVersion(v.data(), r.data()); },
        [] { auto b = Buffer(kSnMax + 1); AtReadSn(b.data()); },
        [] { auto b = Buffer(kSsidMax + 1); AtReadSsid(b.data()); },
        [] { auto b = Buffer(kPcbaSnMax + 1); AtReadPcbaSn(b.data()); },
        [] {
            auto a = Buffer(kRssiFieldSize), b = Buffer(kRssiFieldSize), c = Buffer(kRssiFieldSize);
            AtReadRssi(a.data(), b.data(), c.data());
        },
        [] { auto b = Buffer(kStatusTextSize); AtDetectSim(b.data()); },
        [] { auto b = Buffer(kStatusTextSize); AtReadSdCard(b.data()); },
        [] { AtReadWifiState(); },
        [] { auto b = Buffer(kStatusTextSize); AtCheckCharger(b.data()); },
        [] { AtQueryCalFile(CalFile::Gsm); },
        [] { AtQueryCalFile(CalFile::RfAnalysis); },
        [] { auto b = Buffer(1); AtReadUsbMode(b.data()); },
        [] { auto b = Buffer(kStatusTextSize); AtReadPnLock(b.data()); },
        [] { AtWriteImei("867400012345678"); },
        [] { AtWriteMac("A45E60C1229F"); },
        [] { AtWriteSn("RZ26A0145871"); },
        [] { AtWriteUsbMode(4); },
        [] { auto b = Buffer(kStatusTextSize); AtLockPn(b.data()); },
        [] { auto b = Buffer(kStatusTextSize); AtUnlockPn("12345678", b.data()); },
        [] { AtPowerOff(); },
        [] { AtLcdOn(); },
        [] { AtLedAllOn(); },
        [] { AtKeyTestStart(); },
        [] { AtKeyTestStop(); },
        [] { auto b = Buffer(kStatusTextSize); AtPollKeyReport(b.data()); },
    };
    return commands;
}

}  // namespace

// The first byte picks the command; the rest are the unit's reply chunks.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto& commands = Commands();
    FuzzUnit unit(data + 1, size - 1);
    commands[data[0] % commands.size()]();
    return 0;
}
