// TEST FINISH against a PASS.mdb of 10^3 and of 10^6 stored units: the time
// of one store (duplicate check, insert, durable commit), side by side.
#include <cstdio>

#include <unistd.h>

#include "bench/BenchSupport.h"
#include "records/ResultRow.h"

namespace {

constexpr int kStores = 100;
constexpr const char* kMemoryFolder = "/dev/shm";

std::string Numbered(const char* prefix, long n)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%09ld", prefix, n);
    return text;
}

struct StoreFigures {
    long rows;
    double firstMs;  // the first store also adds the station's indexes
    Figures store;
};

StoreFigures Measure(const std::filesystem::path& folder, long rows)
{
    const auto dataDir = folder / std::to_string(rows);
    std::filesystem::create_directory(dataDir);
    FillTable(dataDir / "PASS.mdb", kCreateResultTable,
              "INSERT INTO SNTable (DTIME, SN, MAC, IMEI, PCBASN) VALUES (?1, ?2, ?3, ?4, ?5)", rows, [](long i) {
                  return std::vector<std::string> {"Mon Dec  7 11:54:06 2026\n", Numbered("RZ", i), Numbered("M", i),
                                                   Numbered("86", i), Numbered("PB", i)};
              });
    QuietWindow window;
    auto station = StartStation(window, "[Station]\nUSEMDB=YES\n", dataDir);
    long next = rows;
    const auto storeNewUnit = [&] {
        station->unit.sn = Numbered("RZ", next);
        station->unit.mac = Numbered("M", next);
        station->unit.imei = Numbered("86", next);
        station->unit.pcbaSn = Numbered("PB", next);
        ++next;
        station->OnTestFinish();
    };
    StoreFigures figures {rows, TimeMs(storeNewUnit), {}};
    std::vector<double> samples;
    for (int i = 0; i < kStores; ++i)
        samples.push_back(TimeMs(storeNewUnit));
    figures.store = Summarise(samples);
    if (window.texts[1022] != "Write database successfully!")
        std::fprintf(stderr, "store failed: %s\n", window.lastBox.c_str());
    return figures;
}

void Report(const std::filesystem::path& base)
{
    BenchFolder folder(base);
    const StoreFigures small = Measure(folder.Path(), 1000);
    const StoreFigures large = Measure(folder.Path(), 1000000);
    std::printf("TEST FINISH into PASS.mdb (%d stores each, in %s)\n", kStores, base.c_str());
    std::printf("%-12s %12s %12s %12s %12s\n", "stored rows", "first ms", "median ms", "mean ms", "worst ms");
    for (const auto& f : {small, large})
        std::printf("%-12ld %12.2f %12.2f %12.2f %12.2f\n", f.rows, f.firstMs, f.store.median, f.store.mean,
                    f.store.worst);
    std::printf("ratio 10^6 / 10^3 (median): %.2f\n\n", large.store.median / small.store.median);
}

}  // namespace

// Each store ends with the engine's durable commit, whose disk syncs weigh
// most on a disk; the memory-backed folder shows the station's own work.
int main()
{
    Report(std::filesystem::temp_directory_path());
    if (access(kMemoryFolder, W_OK) == 0)
        Report(kMemoryFolder);
    return 0;
}
