// LookupMacByImei in a lookup table of 10^6 rows.
#include <cstdio>

#include "bench/BenchSupport.h"
#include "station/ControlIds.h"

namespace {

constexpr long kRows = 1000000;
constexpr int kLookups = 200;

std::string Imei(long n)
{
    char text[32];
    std::snprintf(text, sizeof text, "8674%011ld", n);
    return text;
}

}  // namespace

int main()
{
    BenchFolder folder;
    FillTable(folder.Path() / "labels.db", "CREATE TABLE Labels(IMEI VARCHAR(30), MAC VARCHAR(30), SN VARCHAR(30))",
              "INSERT INTO Labels VALUES (?1, ?2, ?3)", kRows,
              [](long i) { return std::vector<std::string> {Imei(i), "A4-5E-60-" + std::to_string(i), "RZ" + std::to_string(i)}; });
    QuietWindow window;
    auto station = StartStation(window,
                                "[ReadFromDB]\nREAD_MAC_FROM_DB_IMEI=YES\nREAD_DB_FILE_NAME=labels.db\n"
                                "READ_DB_TABLE_NAME=Labels\n",
                                folder.Path());
    long n = 0;
    int found = 0;
    const auto lookUp = [&] {
        window.texts[ctl::kScanImei] = Imei((n * 7919) % kRows);
        ++n;
        found += station->LookupMacByImei();
    };
    const double firstMs = TimeMs(lookUp);
    std::vector<double> samples;
    for (int i = 0; i < kLookups; ++i)
        samples.push_back(TimeMs(lookUp));
    const Figures f = Summarise(samples);
    std::printf("LookupMacByImei in a table of %ld rows (%d lookups, %d found)\n", kRows, kLookups + 1, found);
    std::printf("first (builds the station's IMEI index): %.2f ms\n", firstMs);
    std::printf("median %.3f ms, mean %.3f ms, worst %.3f ms\n", f.median, f.mean, f.worst);
    return 0;
}
