// The line-wide store under a line's load: 8 station processes storing into
// one local PostgreSQL server (started and stopped by the tests' cluster
// script, fsync on). Prints stores per second and the 99th-percentile time
// of one store (duplicate check, insert, commit) as the table grows to the
// given row count (default 100000).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "records/PgResultStore.h"

namespace {

constexpr int kStations = 8;
constexpr const char* kPass = "PASS.mdb";
using Clock = std::chrono::steady_clock;

int Run(const std::string& command)
{
    return std::system(command.c_str());
}

// Stores `units` units as station `station`; sends each store's time in
// microseconds to `report`.
[[noreturn]] void Station(const std::string& url, int station, int units, int report)
{
    std::vector<float> times;
    times.reserve(units);
    try {
        const auto results = MakePgResultStore(url, "ST-" + std::to_string(station));
        for (int i = 0; i < units; ++i) {
            ResultRow row;
            const std::string id = std::to_string(station) + "-" + std::to_string(i);
            row[Column::Sn] = "SN" + id;
            row[Column::Mac] = "MAC" + id;
            row[Column::Imei] = "IMEI" + id;
            row[Column::PcbaSn] = "PCBA" + id;
            row[Column::Ver] = "RZ_V1.2.2_B05";
            const auto begin = Clock::now();
            auto store = results->Begin(kPass);
            if (!store->FindDuplicate(row)) {
                store->Insert(row);
                store->Commit();
            }
            times.push_back(std::chrono::duration<float, std::micro>(Clock::now() - begin).count());
        }
    } catch (const StoreError& error) {
        std::fprintf(stderr, "station %d: %s\n", station, error.what());
        _exit(1);
    }
    const auto bytes = static_cast<ssize_t>(times.size() * sizeof(float));
    _exit(write(report, times.data(), times.size() * sizeof(float)) == bytes ? 0 : 1);
}

double Percentile(std::vector<float> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(share * values.size()))] / 1000.0;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int units = std::max(1, rows / kStations);
    const std::string state = "/tmp/rurizuda-linewide-bench-" + std::to_string(getpid()) + ".state";
    if (Run("PG_CLUSTER_DURABLE=1 " PG_CLUSTER_SCRIPT " start " + state) != 0)
        return 1;
    std::string url;
    std::getline(std::ifstream(state), url);
    url = url.substr(0, url.rfind('/') + 1) + "postgres";

    std::vector<pid_t> children;
    std::vector<int> reports;
    const auto start = Clock::now();
    for (int station = 0; station < kStations; ++station) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return 1;
        const pid_t child = fork();
        if (child == 0) {
            close(pipeEnds[0]);
            Station(url, station, units, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        children.push_back(child);
        reports.push_back(pipeEnds[0]);
    }
    std::vector<float> all;
    std::vector<float> last;  // the last tenth of each station: the table near its full size
    bool failed = false;
    for (int station = 0; station < kStations; ++station) {
        std::vector<float> times(units);
        size_t got = 0;
        const size_t want = times.size() * sizeof(float);
        while (got < want) {
            const ssize_t n = read(reports[station], reinterpret_cast<char*>(times.data()) + got, want - got);
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        close(reports[station]);
        int status = 0;
        waitpid(children[station], &status, 0);
        failed = failed || got != want || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        all.insert(all.end(), times.begin(), times.end());
        last.insert(last.end(), times.end() - units / 10, times.end());
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Run(PG_CLUSTER_SCRIPT " stop " + state);
    if (failed) {
        std::fprintf(stderr, "a station failed\n");
        return 1;
    }
    std::printf("%d stations, %d rows stored in %.1f s: %.0f stores/s\n", kStations, units * kStations, seconds,
                units * kStations / seconds);
    std::printf("TEST FINISH store time: median %.2f ms, p99 %.2f ms; last tenth (table near full): p99 %.2f ms\n",
                Percentile(all, 0.5), Percentile(all, 0.99), Percentile(last, 0.99));
    return 0;
}
