// The MES hand-off against a local throwaway broker (started and stopped by
// the tests' node script): the time from a unit's commit to the broker's
// acceptance of its message, and TEST FINISH with the hand-off on and off.
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "bench/BenchSupport.h"
#include "mes/MesHandOff.h"
#include "mes/MesOutbox.h"

namespace {

constexpr int kUnits = 1000;
constexpr int kBlock = 100;  // stores with the hand-off on and off alternate in blocks
constexpr const char* kAddress = "/queue/bench";
constexpr auto kPoll = std::chrono::microseconds(200);
constexpr auto kSettle = std::chrono::milliseconds(2);
using Clock = std::chrono::steady_clock;

std::string Numbered(const char* prefix, long n)
{
    return prefix + std::to_string(1000000 + n);
}

UnitJournalEntry Unit(long n)
{
    UnitJournalEntry entry;
    entry.station = "ST-03";
    entry.sn = Numbered("RZ", n);
    entry.recorded = JournalClock::now();
    entry.verdict = "PASS";
    entry.stored = true;
    entry.items = {{"READVER", "PASS", {"RZ_V1.2.2_B05", "2026-10-14 10:31:07"}, "RZ_V1.2.2", 350, 0},
                   {"RFRSSICHECK", "PASS", {"63", "41", "55"}, "30,30,30", 900, 400}};
    return entry;
}

double P99(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() * 99 / 100];
}

// Commit to acceptance: each unit's message queued as the station queues it
// after the commit; `paced` waits for each acceptance before the next unit
// (a line's pace), otherwise all go back to back.
std::vector<double> Handoff(const std::filesystem::path& folder, const std::string& url, bool paced)
{
    std::mutex mutex;
    std::condition_variable acceptedOne;
    std::map<std::string, Clock::time_point> queued;
    std::vector<double> samples;
    std::string error;
    auto handOff = MesHandOff::Start({url, kAddress, "Factory.Line1.ST-03", ""}, folder, 0, &error,
                                     [&](const std::string& id) {
                                         std::lock_guard lock(mutex);
                                         samples.push_back(
                                             std::chrono::duration<double, std::milli>(Clock::now() - queued[id])
                                                 .count());
                                         acceptedOne.notify_all();
                                     });
    if (!handOff) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(1);
    }
    for (int i = 0; i < kUnits; ++i) {
        const UnitJournalEntry unit = Unit(i);
        // Held until the start is recorded: the acceptance may come first.
        std::unique_lock lock(mutex);
        const auto start = Clock::now();
        const std::string id = handOff->Publish(unit, &error);
        queued[id] = start;
        if (paced)
            acceptedOne.wait(lock, [&] { return samples.size() == static_cast<size_t>(i + 1); });
    }
    std::unique_lock lock(mutex);
    acceptedOne.wait(lock, [&] { return samples.size() == static_cast<size_t>(kUnits); });
    return samples;
}

// Waits until the broker accepted all that waits in `outbox` (a line's
// pace: the next unit comes long after), then lets the disk settle.
void AwaitLinePace(MesOutbox* outbox)
{
    while (outbox && outbox->Count() > 0)
        std::this_thread::sleep_for(kPoll);
    std::this_thread::sleep_for(kSettle);
}

// TEST FINISH with the hand-off off and on, alternating in blocks so that
// both see the same disk, each store at a line's pace.
void TestFinish(const std::filesystem::path& folder, const std::string& url)
{
    const std::filesystem::path dirs[] = {folder / "off", folder / "on"};
    const std::string profiles[] = {"[Station]\nUSEMDB=YES\n", "[Station]\nUSEMDB=YES\n[MES]\nURL=" + url +
                                                                   "\nADDRESS=" + kAddress +
                                                                   "\nHANDLE=Factory.Line1.ST-03\n"};
    std::vector<double> samples[2];
    QuietWindow windows[2];
    std::unique_ptr<CRuriZudaDlg> stations[2];
    for (int s = 0; s < 2; ++s) {
        std::filesystem::create_directory(dirs[s]);
        stations[s] = StartStation(windows[s], profiles[s], dirs[s]);
    }
    MesOutbox outbox(dirs[1] / kMesOutboxFileName);
    for (int block = 0; block < 2 * kUnits / kBlock; ++block) {
        const int s = block % 2;
        for (int i = 0; i < kBlock; ++i) {
            const long n = static_cast<long>(samples[s].size());
            CRuriZudaDlg& station = *stations[s];
            station.unit.sn = Numbered("RZ", n);
            station.unit.mac = Numbered("M", n);
            station.unit.imei = Numbered("86", n);
            station.unit.pcbaSn = Numbered("PB", n);
            samples[s].push_back(TimeMs([&] { station.OnTestFinish(); }));
            AwaitLinePace(s == 1 ? &outbox : nullptr);
        }
    }
    const Figures off = Summarise(samples[0]);
    const Figures on = Summarise(samples[1]);
    std::printf("TEST FINISH, %d stores each      %10s %10s %10s\n", kUnits, "median ms", "mean ms", "p99 ms");
    std::printf("  hand-off off                    %10.3f %10.3f %10.3f\n", off.median, off.mean, P99(samples[0]));
    std::printf("  hand-off on                     %10.3f %10.3f %10.3f\n", on.median, on.mean, P99(samples[1]));
    std::printf("  on / off (median): %.3f, (mean): %.3f (target within 5%%)\n", on.median / off.median,
                on.mean / off.mean);
}

}  // namespace

int main()
{
    BenchFolder folder;
    const std::string state = (folder.Path() / "rabbit.state").string();
    if (std::system((std::string(RABBIT_NODE_SCRIPT) + " start " + state).c_str()) != 0)
        return 1;
    std::string url;
    std::getline(std::ifstream(state), url);
    for (const bool paced : {true, false}) {
        const auto dir = folder.Path() / (paced ? "paced" : "burst");
        std::filesystem::create_directory(dir);
        const auto samples = Handoff(dir, url, paced);
        const Figures f = Summarise(samples);
        std::printf("commit to acceptance, %d units %s: median %.2f ms, p99 %.2f ms, worst %.2f ms (target p99 < 50 ms)\n",
                    kUnits, paced ? "one at a time" : "back to back", f.median, P99(samples), f.worst);
    }
    TestFinish(folder.Path(), url);
    std::system((std::string(RABBIT_NODE_SCRIPT) + " stop " + state).c_str());
    return 0;
}
