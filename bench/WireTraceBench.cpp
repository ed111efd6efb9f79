// What the wire trace costs the device link: a one-key-like series of device
// commands against the simulated unit, run with the trace off and on. The
// link runs in virtual time, so the contract's own delays (virtual) are
// identical in both runs and the wall time measured is the station's own
// work per series; the difference is the trace's cost.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "atcmd/Atcmd.h"
#include "link/WireTraceFile.h"
#include "tests/support/SimulatedUnit.h"
#include "tests/support/VirtualTime.h"

namespace {

constexpr int kSeries = 200;

using Steady = std::chrono::steady_clock;

// The read items of the one-key test, in its order.
void OneKeySeries()
{
    char a[256], b[256], c[256];
    AtOpen("/dev/ttyBENCH");
    AtReadVersion(a, b);
    AtReadMac(a);
    AtReadImei(a);
    AtReadSn(a);
    AtReadPcbaSn(a);
    AtReadSsid(a);
    AtDetectSim(a);
    AtReadSdCard(a);
    AtReadWifiState();
    AtCheckCharger(a);
    AtReadRssi(a, b, c);
    AtClose();
}

struct Figures {
    double wallUsPerSeries;
    int64_t virtualMsPerSeries;
};

Figures Run(WireTraceSink* trace)
{
    VirtualLink link;
    SimulatedUnit unit(link.serial);
    WireTraceSink* previous = InstallWireTrace(trace);
    const auto start = Steady::now();
    for (int i = 0; i < kSeries; ++i)
        OneKeySeries();
    const auto wall = Steady::now() - start;
    InstallWireTrace(previous);
    return {std::chrono::duration<double, std::micro>(wall).count() / kSeries, link.Elapsed() / kSeries};
}

}  // namespace

int main()
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("rurizuda-wire-bench-" + std::to_string(getpid()) + ".txt");
    WireTraceFile file;
    std::string error;
    if (!file.Open(path, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    Run(nullptr);  // warm up
    const Figures off = Run(nullptr);
    const Figures on = Run(&file);

    // The cost on the link's thread of one chunk, apart from any command.
    constexpr int kChunks = 100000;
    const unsigned char chunk[] = "\r\n*MRD_IMEI:867400012345678\r\n\r\nOK\r\n";
    const auto start = Steady::now();
    for (int i = 0; i < kChunks; ++i)
        file.Record(WireDirection::Received, chunk, sizeof chunk - 1);
    const double nsPerChunk = std::chrono::duration<double, std::nano>(Steady::now() - start).count() / kChunks;
    file.Close();
    std::filesystem::remove(path);

    std::printf("one-key series (11 read items, %d runs), contract time %lld ms per series (virtual)\n", kSeries,
                static_cast<long long>(off.virtualMsPerSeries));
    std::printf("  trace off: %.1f us station work per series\n", off.wallUsPerSeries);
    std::printf("  trace on:  %.1f us station work per series (%+.1f us, %.5f %% of the contract time)\n",
                on.wallUsPerSeries, on.wallUsPerSeries - off.wallUsPerSeries,
                100.0 * (on.wallUsPerSeries - off.wallUsPerSeries) / 1000.0 / static_cast<double>(off.virtualMsPerSeries));
    std::printf("  contract time with the trace on: %lld ms per series\n", static_cast<long long>(on.virtualMsPerSeries));
    std::printf("cost of one chunk on the link's thread: %.0f ns\n", nsPerChunk);
    return 0;
}
