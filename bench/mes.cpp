// The MES hand-off against a local throwaway broker (started and stopped by
// the tests' node script), with a real one-key unit's record (20 items, all
// values): TEST FINISH with the hand-off on and off, the sender's time per
// message, commit to acceptance with four slots storing side by side, and
// reading a journal of 10,000 units back into an outbox whose cursor is lost.
#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>

#include "bench/BenchSupport.h"
#include "mes/MesHandOff.h"
#include "mes/MesOutbox.h"
#include "mes/OutboxFeeder.h"

namespace {

constexpr int kStores = 400;      // TEST FINISH stores with the hand-off on, and as many off
constexpr int kBlock = 50;        // stores with the hand-off on and off alternate in blocks
constexpr int kSenderRuns = 500;  // messages built and written
constexpr int kSlots = 4;
constexpr int kUnitsPerSlot = 60;
// `mes slots-5s` runs the four slots at the line's own pace instead, with
// fewer units so that it ends within a minute too.
constexpr int kUnitsPerSlotAtLinePace = 12;
constexpr auto kLinePace = std::chrono::milliseconds(5000);
// A slot stores a unit every 20 s or so; every 5 s is the line's busiest
// pace. The bench runs it at a tenth of that so it ends within a minute;
// with one message in flight a slot's unit is accepted long before the next.
constexpr auto kSlotInterval = std::chrono::milliseconds(500);
constexpr int kJournalUnits = 10000;
constexpr const char* kAddress = "/queue/bench";
constexpr auto kPoll = std::chrono::microseconds(200);
constexpr auto kSettle = std::chrono::milliseconds(2);
constexpr const char* kHandle = "Factory.Line1.ST-03";
using Clock = std::chrono::steady_clock;

// The 20 items of a one-key test as the station runs them.
const char* const kItems[] = {
    "WRITE_UNLOCK_PN", "READVER",   "READRELDATE",       "READMAC",        "READIMEI",
    "READSN",          "READPCBASN", "READSSID",         "READCHARGERSTATUS", "READSIM",
    "READSD",          "RFCALDATACHECK", "READWIFI",     "RFRSSICHECK",    "WRITELINUXUSBMODE",
    "WRITE_LOCK_PN",   "READLINUXUSBMODE", "READ_LOCK_PN", "TESTLED",       "TESTKEY",
};

std::string Numbered(const char* prefix, long n)
{
    return prefix + std::to_string(1000000 + n);
}

// Every value of a unit that passed the one-key test.
void FillUnit(CRuriZudaDlg& station, long n)
{
    UnitRecord& unit = station.unit;
    unit.sn = Numbered("RZ26A", n);
    unit.mac = "A4-5E-60-" + std::to_string(10 + n % 80) + "-22-9F";
    unit.imei = Numbered("86740001", n);
    unit.pcbaSn = Numbered("PB26A", n);
    unit.version = "RZ_V1.2.2_B05";
    unit.releaseDate = "2026-10-14 10:31:07";
    unit.ssid = "RZ-" + std::to_string(n % 10000);
    unit.simText = "SIM inserted";
    unit.sdText = "SD inserted";
    for (auto value : {&UnitRecord::keyResult, &UnitRecord::oledResult, &UnitRecord::ledResult,
                       &UnitRecord::gsmCalResult, &UnitRecord::tdCalResult, &UnitRecord::lteCalResult,
                       &UnitRecord::wcdmaCalResult, &UnitRecord::wifiResult, &UnitRecord::rssiResult,
                       &UnitRecord::chargerResult, &UnitRecord::linuxUsbModeResult, &UnitRecord::lockResult,
                       &UnitRecord::unlockResult})
        unit.*value = "PASS";
    unit.rssi2g = "63";
    unit.rssi3g = "41";
    unit.rssi4g = "55";
    unit.lockState = "LOCKED";
    unit.lockConfirmation = "YES";
    unit.usbMode = "1";
    unit.usbModeConfirmation = "YES";
    station.scanned.sn = unit.sn;
    station.scanned.mac = unit.mac;
    station.scanned.imei = unit.imei;
    station.scanned.pcbaSn = unit.pcbaSn;
    station.LastOneKeyRun.started = JournalClock::now() - std::chrono::seconds(30);
    station.LastOneKeyRun.ended = JournalClock::now();
    station.LastOneKeyRun.items.clear();
    int64_t start = 0;
    for (const char* item : kItems) {
        station.LastOneKeyRun.items.push_back({item, 1, 900, start});
        start += 1000;
    }
}

// The same unit's journal entry, as TEST FINISH writes it.
UnitJournalEntry JournalUnit(long n, int slot)
{
    UnitJournalEntry entry;
    entry.station = "ST-03";
    entry.slot = slot;
    entry.sn = Numbered("RZ26A", n);
    entry.mac = "A4-5E-60-C1-22-9F";
    entry.imei = Numbered("86740001", n);
    entry.pcbaSn = Numbered("PB26A", n);
    entry.testStart = JournalClock::now() - std::chrono::seconds(30);
    entry.testEnd = JournalClock::now();
    entry.recorded = JournalClock::now();
    entry.verdict = "PASS";
    entry.stored = true;
    int64_t start = 0;
    for (const char* item : kItems) {
        entry.items.push_back({item, "PASS", {"RZ_V1.2.2_B05", "2026-10-14 10:31:07"}, "RZ_V1.2.2", 900, start});
        start += 1000;
    }
    return entry;
}

double Percentile(std::vector<double> samples, int percent)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() * static_cast<size_t>(percent) / 100];
}

// Waits until the broker accepted all that waits in `outbox` (a line's
// pace: the next unit comes long after), then lets the disk settle.
void AwaitLinePace(const std::filesystem::path* outbox)
{
    while (outbox && (!std::filesystem::exists(*outbox) || MesOutbox(*outbox, OutboxAccess::ReadOnly).Count() > 0))
        std::this_thread::sleep_for(kPoll);
    std::this_thread::sleep_for(kSettle);
}

// TEST FINISH with the hand-off off and on, alternating in blocks so that
// both see the same disk, each store at a line's pace.
void TestFinish(const std::filesystem::path& folder, const std::string& url)
{
    const std::filesystem::path dirs[] = {folder / "off", folder / "on"};
    const std::string profiles[] = {"[Station]\nUSEMDB=YES\n", "[Station]\nUSEMDB=YES\n[MES]\nURL=" + url +
                                                                   "\nADDRESS=" + kAddress + "\nHANDLE=" +
                                                                   kHandle + "\n"};
    std::vector<double> samples[2];
    QuietWindow windows[2];
    std::unique_ptr<CRuriZudaDlg> stations[2];
    for (int s = 0; s < 2; ++s) {
        std::filesystem::create_directory(dirs[s]);
        stations[s] = StartStation(windows[s], profiles[s], dirs[s]);
    }
    const std::filesystem::path outbox = dirs[1] / kMesOutboxFileName;
    for (int block = 0; block < 2 * kStores / kBlock; ++block) {
        const int s = block % 2;
        for (int i = 0; i < kBlock; ++i) {
            CRuriZudaDlg& station = *stations[s];
            FillUnit(station, static_cast<long>(samples[s].size()));
            samples[s].push_back(TimeMs([&] { station.OnTestFinish(); }));
            AwaitLinePace(s == 1 ? &outbox : nullptr);
        }
    }
    const Figures off = Summarise(samples[0]);
    const Figures on = Summarise(samples[1]);
    std::printf("TEST FINISH, 20-item unit, %d stores each %10s %10s %10s\n", kStores, "median ms", "mean ms",
                "p99 ms");
    std::printf("  hand-off off                          %10.3f %10.3f %10.3f\n", off.median, off.mean,
                Percentile(samples[0], 99));
    std::printf("  hand-off on                           %10.3f %10.3f %10.3f\n", on.median, on.mean,
                Percentile(samples[1], 99));
    std::printf("  on / off (median): %.3f, (mean): %.3f (target at most 1.05)\n", on.median / off.median,
                on.mean / off.mean);
}

// The sender's work per message: building it, and writing it into the
// outbox with the journal cursor (one synced transaction).
void SenderWork(const std::filesystem::path& folder)
{
    std::vector<double> build;
    std::vector<double> write;
    MesOutbox outbox(folder / "sender-outbox.db");
    for (int i = 0; i < kSenderRuns; ++i) {
        const UnitJournalEntry entry = JournalUnit(i, 1);
        OutboxMessage message;
        build.push_back(TimeMs([&] { message = UnitsTestedOutboxMessage(entry, {kHandle, 1}); }));
        write.push_back(TimeMs([&] { outbox.Add(message, JournalPosition {"2026-12-08.jsonl", i * 4096L}); }));
    }
    std::printf("sender per message (%d): build median %.3f ms p99 %.3f ms; outbox write (synced) median %.3f ms "
                "p99 %.3f ms; message %zu bytes\n",
                kSenderRuns, Percentile(build, 50), Percentile(build, 99), Percentile(write, 50),
                Percentile(write, 99), UnitsTestedOutboxMessage(JournalUnit(0, 1), {kHandle, 1}).json.size());
}

// Four slots, each storing a unit every kSlotInterval: from the commit
// (journal line written, unit handed off) to the broker's acceptance.
void FourSlots(const std::filesystem::path& folder, const std::string& url,
               std::chrono::milliseconds interval = kSlotInterval, int unitsPerSlot = kUnitsPerSlot)
{
    std::mutex mutex;
    // A slot's messages are accepted in the order of its commits.
    std::map<int, std::deque<Clock::time_point>> committed;
    std::vector<double> samples;
    std::condition_variable acceptedOne;
    std::vector<std::unique_ptr<MesHandOff>> handOffs;
    for (int slot = 1; slot <= kSlots; ++slot) {
        const auto slotFolder = folder / ("slot-" + std::to_string(slot));
        std::filesystem::create_directories(slotFolder);
        std::string error;
        handOffs.push_back(MesHandOff::Start({url, kAddress, kHandle, ""}, slotFolder, folder, slot, &error,
                                             [&, slot](const std::string&) {
                                                 const auto now = Clock::now();
                                                 std::lock_guard lock(mutex);
                                                 auto& commits = committed[slot];
                                                 samples.push_back(
                                                     std::chrono::duration<double, std::milli>(now - commits.front())
                                                         .count());
                                                 commits.pop_front();
                                                 acceptedOne.notify_all();
                                             }));
    }
    std::vector<std::thread> slots;
    for (int slot = 1; slot <= kSlots; ++slot) {
        slots.emplace_back([&, slot] {
            // The slots start out of step, as operators do.
            std::this_thread::sleep_for(interval * slot / kSlots);
            for (int i = 0; i < unitsPerSlot; ++i) {
                const auto next = Clock::now() + interval;
                UnitJournalEntry entry = JournalUnit(slot * 100000 + i, slot);
                JournalPosition position;
                std::string error;
                {
                    // Held until the commit is noted: the acceptance may come first.
                    std::lock_guard lock(mutex);
                    committed[slot].push_back(Clock::now());
                    AppendUnitJournal(folder, entry, &error, &position);
                    handOffs[static_cast<size_t>(slot - 1)]->Publish(entry, position);
                }
                std::this_thread::sleep_until(next);
            }
        });
    }
    for (auto& slot : slots)
        slot.join();
    std::unique_lock lock(mutex);
    acceptedOne.wait_for(lock, std::chrono::seconds(30),
                         [&] { return samples.size() == static_cast<size_t>(kSlots * unitsPerSlot); });
    lock.unlock();
    handOffs.clear();
    std::printf("commit to acceptance, %d slots x %d units, a unit every %lld ms per slot: median %.2f ms, p99 "
                "%.2f ms, worst %.2f ms, %zu accepted (target p99 < 50 ms)\n",
                kSlots, unitsPerSlot, static_cast<long long>(interval.count()), Percentile(samples, 50),
                Percentile(samples, 99), *std::max_element(samples.begin(), samples.end()), samples.size());
}

// A journal of 10,000 units read back into an outbox that lost its cursor.
void Recovery(const std::filesystem::path& folder)
{
    const auto dir = folder / "recovery";
    std::filesystem::create_directories(dir);
    std::filesystem::create_directories(UnitJournalPath(dir, JournalClock::now()).parent_path());
    {
        std::ofstream journal(UnitJournalPath(dir, JournalClock::now()));
        for (long n = 0; n < kJournalUnits; ++n)
            journal << UnitJournalLine(JournalUnit(n, 1));
    }
    MesOutbox outbox(dir / kMesOutboxFileName);
    MesInbox inbox;
    OutboxFeeder feeder(outbox, inbox,
                        MesJournalFeed {dir, 1,
                                        [](const UnitJournalEntry& entry) {
                                            return UnitsTestedOutboxMessage(entry, {kHandle, 1});
                                        },
                                        {}, {}, CfxSender {kHandle, 1}});
    int64_t queued = 0;
    const double ms = TimeMs([&] { queued = feeder.Recover(); });
    std::printf("recovery: %lld units of a %d-unit journal queued in %.0f ms (target < 2000 ms)\n",
                static_cast<long long>(queued), kJournalUnits, ms);
    // Where that time goes: reading the lines back, building the messages,
    // writing them into an outbox of their own.
    std::vector<UnitJournalEntry> entries;
    const double read = TimeMs([&] {
        ReadUnitJournalFrom(UnitJournalPath(dir, JournalClock::now()), 0,
                            [&](UnitJournalEntry&& entry, const JournalPosition&) { entries.push_back(std::move(entry)); });
    });
    std::vector<OutboxMessage> messages;
    const double build = TimeMs([&] {
        for (const auto& entry : entries)
            messages.push_back(UnitsTestedOutboxMessage(entry, {kHandle, 1}));
    });
    MesOutbox parts(dir / "parts.db");
    const double write = TimeMs([&] { parts.Add(messages, JournalPosition {"parts", 1}); });
    std::printf("  eager, for comparison: read %.0f ms, build %.0f ms, outbox write %.0f ms (one transaction)\n",
                read, build, write);
    // What the lines queued cost when they are sent: each message made once.
    std::vector<double> first;
    for (int64_t after = 0; first.size() < 200;) {
        std::vector<OutboxEntry> one;
        first.push_back(TimeMs([&] { one = outbox.After(after, 1); }));
        if (one.empty())
            break;
        after = one[0].id;
    }
    std::printf("  a line's message made and kept when first read: median %.3f ms, p99 %.3f ms\n",
                Percentile(first, 50), Percentile(first, 99));
}

}  // namespace

int main(int argc, char** argv)
{
    BenchFolder folder;
    // "recovery" runs that part alone, without a broker.
    if (argc > 1 && std::string(argv[1]) == "recovery") {
        Recovery(folder.Path());
        return 0;
    }
    const std::string state = (folder.Path() / "rabbit.state").string();
    if (std::system((std::string(RABBIT_NODE_SCRIPT) + " start " + state).c_str()) != 0)
        return 1;
    std::string url;
    std::getline(std::ifstream(state), url);
    // "slots" and "slots-5s" run the four slots alone.
    if (argc > 1 && std::string(argv[1]).starts_with("slots")) {
        if (std::string(argv[1]) == "slots-5s")
            FourSlots(folder.Path(), url, kLinePace, kUnitsPerSlotAtLinePace);
        else
            FourSlots(folder.Path(), url);
        std::system((std::string(RABBIT_NODE_SCRIPT) + " stop " + state).c_str());
        return 0;
    }
    TestFinish(folder.Path(), url);
    SenderWork(folder.Path());
    const auto slots = folder.Path() / "slots";
    std::filesystem::create_directories(slots);
    FourSlots(slots, url);
    Recovery(folder.Path());
    std::system((std::string(RABBIT_NODE_SCRIPT) + " stop " + state).c_str());
    return 0;
}
