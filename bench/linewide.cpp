// The line-wide store under a line's load: 8 station processes storing into
// one local PostgreSQL server (started and stopped by the tests' cluster
// script, fsync on). Prints stores per second and the 99th-percentile time
// of one store (duplicate check, insert, commit) as the table grows to the
// given row count (default 100000), without and with the summary tables,
// the summary trigger's server time per stored row, and where the stations'
// server sessions spent the run (sampled: running, waiting for the WAL to be
// flushed, for a lock, or for the station's next statement) and the WAL
// written per stored row (each commit waits until its WAL is on disk).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <stdexcept>
#include <thread>
#include <vector>

#include <pqxx/pqxx>

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

// How often the stations' server sessions are looked at while they store.
constexpr auto kSampleEvery = std::chrono::milliseconds(10);

// What the stations' server sessions were doing, sampled while they store:
// per state ("running", "wait IO:WALSync", "station's turn", ...) the samples.
class SessionSampler {
public:
    explicit SessionSampler(const std::string& url)
        : thread_([this, url] { Sample(url); })
    {
    }
    ~SessionSampler() { Stop(); }

    std::map<std::string, long> Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return counts_;
    }

private:
    void Sample(const std::string& url)
    {
        try {
            pqxx::connection connection(url);
            pqxx::nontransaction work(connection);
            while (!stop_) {
                for (const auto& row : work.exec(
                         "SELECT CASE WHEN state = 'idle in transaction' OR state = 'idle' THEN 'station''s turn' "
                         "WHEN wait_event IS NULL THEN 'running' ELSE 'wait ' || wait_event_type || ':' || wait_event "
                         "END, count(*) FROM pg_stat_activity WHERE datname = current_database() AND backend_type = "
                         "'client backend' AND pid <> pg_backend_pid() GROUP BY 1"))
                    counts_[row[0].c_str()] += row[1].as<long>();
                std::this_thread::sleep_for(kSampleEvery);
            }
        } catch (const std::exception& error) {
            std::fprintf(stderr, "sampler: %s\n", error.what());
        }
    }

    std::atomic<bool> stop_ {false};
    std::map<std::string, long> counts_;
    std::thread thread_;
};

// The server's WAL written so far: bytes and full-page images.
std::pair<double, long long> WalSoFar(const std::string& url)
{
    pqxx::connection connection(url);
    const pqxx::row wal = pqxx::nontransaction(connection).exec1("SELECT wal_bytes, wal_fpi FROM pg_stat_wal");
    return {wal[0].as<double>(), wal[1].as<long long>()};
}

// The store times of one run of every station.
struct StationsRun {
    std::vector<float> all;
    std::vector<float> last;  // the last tenth of each station: the table near its full size
    std::map<std::string, long> sessions;  // SessionSampler's counts
    double seconds = 0;
    bool failed = false;
};

StationsRun RunStations(const std::string& url, int units)
{
    StationsRun run;
    std::vector<pid_t> children;
    std::vector<int> reports;
    const auto start = Clock::now();
    for (int station = 0; station < kStations; ++station) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            run.failed = true;
            break;
        }
        const pid_t child = fork();
        if (child == 0) {
            close(pipeEnds[0]);
            Station(url, station, units, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        children.push_back(child);
        reports.push_back(pipeEnds[0]);
    }
    SessionSampler sampler(url);  // started after the fork: a child copies no thread of it
    for (size_t station = 0; station < children.size(); ++station) {
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
        run.failed = run.failed || got != want || !WIFEXITED(status) || WEXITSTATUS(status) != 0;
        run.all.insert(run.all.end(), times.begin(), times.end());
        run.last.insert(run.last.end(), times.end() - units / 10, times.end());
    }
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    run.sessions = sampler.Stop();
    return run;
}

// The statistics of sessions that ended reach the server's views within
// about a second.
constexpr auto kStatisticsDelay = std::chrono::milliseconds(1500);

}  // namespace

// Two runs in one: stores into a line database whose summary trigger is
// switched off, then into one that keeps its summaries, each in a database
// of its own on the same server.
int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int units = std::max(1, rows / kStations);
    const std::string state = "/tmp/rurizuda-linewide-bench-" + std::to_string(getpid()) + ".state";
    if (Run("PG_CLUSTER_DURABLE=1 " PG_CLUSTER_SCRIPT " start " + state) != 0)
        return 1;
    std::string admin;
    std::getline(std::ifstream(state), admin);
    int status = 0;
    try {
        for (const bool summaries : {false, true}) {
            const std::string name = summaries ? "line_summaries" : "line_plain";
            const std::string url = admin.substr(0, admin.rfind('/') + 1) + name;
            {
                pqxx::connection connection(admin);
                pqxx::nontransaction(connection).exec("CREATE DATABASE " + name);
                pqxx::nontransaction(connection).exec("ALTER DATABASE " + name + " SET track_functions = 'pl'");
            }
            MakePgResultStore(url, "ST-setup")->Begin(kPass)->Commit();  // the table and its summaries
            if (!summaries) {
                pqxx::connection connection(url);
                pqxx::nontransaction(connection).exec("ALTER TABLE sntable DISABLE TRIGGER rurizuda_summaries");
            }
            const auto walBefore = WalSoFar(url);
            const StationsRun run = RunStations(url, units);
            const auto walAfter = WalSoFar(url);
            if (run.failed)
                throw std::runtime_error("a station failed");
            std::printf("%s: %d stations, %d rows stored in %.1f s: %.0f stores/s\n",
                        summaries ? "with summaries   " : "without summaries", kStations, units * kStations,
                        run.seconds, units * kStations / run.seconds);
            std::printf("  TEST FINISH store time: median %.2f ms, p99 %.2f ms; last tenth (table near full): p99 %.2f ms\n",
                        Percentile(run.all, 0.5), Percentile(run.all, 0.99), Percentile(run.last, 0.99));
            long samples = 0;
            for (const auto& [state, count] : run.sessions)
                samples += count;
            std::printf("  server sessions (%ld samples):", samples);
            for (const auto& [state, count] : run.sessions)
                std::printf(" %s %.1f%%", state.c_str(), 100.0 * count / std::max(1L, samples));
            std::printf("\n");
            const double stored = std::max(1, units * kStations);
            std::printf("  WAL per stored row: %.0f bytes, %.2f full-page images\n",
                        (walAfter.first - walBefore.first) / stored, (walAfter.second - walBefore.second) / stored);
            if (summaries) {
                std::this_thread::sleep_for(kStatisticsDelay);
                pqxx::connection connection(url);
                const pqxx::row trigger = pqxx::nontransaction(connection).exec1(
                    "SELECT calls, total_time FROM pg_stat_user_functions WHERE funcname = 'rurizuda_summaries_follow'");
                std::printf("  summary trigger: %.3f ms of server time per stored row (%lld rows)\n",
                            trigger[1].as<double>() / std::max(1LL, trigger[0].as<long long>()),
                            trigger[0].as<long long>());
            }
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench/linewide: %s\n", error.what());
        status = 1;
    }
    Run(PG_CLUSTER_SCRIPT " stop " + state);
    return status;
}
