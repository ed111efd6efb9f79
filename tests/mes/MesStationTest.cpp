// TEST FINISH of stations whose profile has [MES], against the throwaway
// broker: what arrives, in which order, and what an operator is told.
#include <nlohmann/json.hpp>

#include <set>
#include <thread>

#include <sys/stat.h>

#include <fstream>
#include <functional>

#include "config/SlotMap.h"
#include "mes/MesOutbox.h"
#include "mes/UnitsTestedMessage.h"
#include "tests/mes/BrokerConsumer.h"
#include "tests/mes/TestBroker.h"
#include "tests/station/StationFixture.h"
#include "tests/support/SqliteFiles.h"

namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kArrival = 20s;     // a broker just started may take a while
constexpr auto kNothingMore = 1500ms;
constexpr auto kPoll = 50ms;
constexpr const char* kHandle = "Factory.Line1.ST-03";

class MesStation : public StationFixture {
protected:
    void StartStation(const std::string& url, const std::string& address, int slot = 0,
                      const std::string& moreMes = "")
    {
        station.reset();
        WriteProfile("[Station]\nUSEMDB=YES\n[MES]\nURL=" + url + "\nADDRESS=" + address + "\nHANDLE=" + kHandle +
                     "\n" + moreMes);
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        options.slot = slot;
        Start(std::move(options));
    }

    void StoreUnit(const std::string& sn)
    {
        station->unit.sn = sn;
        station->unit.mac = "MAC-" + sn;
        station->unit.imei = "IMEI-" + sn;
        station->unit.pcbaSn = "PCBA-" + sn;
        station->OnCommand(ctl::kTestFinish);
    }

    void StoreUnits(int count)
    {
        for (int i = 1; i <= count; ++i)
            StoreUnit("SN" + std::to_string(i));
    }

    // The status note once the timer ticked.
    std::string StatusNote()
    {
        station->OnTimer(ctl::kMesStatusTimer);
        return window.statusNote;
    }

    // Ticks the status timer until the note holds `text` (is empty for "");
    // false when it did not within the arrival time.
    bool AwaitStatus(const std::string& text)
    {
        for (auto waited = 0ms; waited < kArrival; waited += kPoll) {
            const std::string note = StatusNote();
            if (text.empty() ? note.empty() : note.find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(kPoll);
        }
        return false;
    }

    static std::vector<std::string> Sns(const std::vector<ReceivedMessage>& messages)
    {
        std::vector<std::string> sns;
        for (const auto& message : messages)
            sns.push_back(json::parse(message.body)["MessageBody"]["TestedUnits"][0]["UnitIdentifier"]);
        return sns;
    }

    static std::vector<std::string> NumberedSns(int count)
    {
        std::vector<std::string> sns;
        for (int i = 1; i <= count; ++i)
            sns.push_back("SN" + std::to_string(i));
        return sns;
    }

    // Message boxes about the hand-off.
    int HandOffBoxes() const
    {
        return static_cast<int>(std::count_if(window.boxes.begin(), window.boxes.end(), [](const FakeWindow::Box& box) {
            return box.text.rfind("The unit is stored, but the MES hand-off is not working: ", 0) == 0;
        }));
    }

    int StoredRows() const { return std::stoi(*Query(dir.Path() / "PASS.mdb", "SELECT count(*) FROM SNTable")[0][0]); }

    const std::string url = TestBroker::Url();
    TestBroker broker;
};

TEST_F(MesStation, TwentyStoredUnitsArriveInOrderAsWholeMessages)
{
    StartStation(url, broker.Address(), 3);
    StoreUnits(20);
    const auto messages = ReceiveMessages(url, broker.Address(), 20, kArrival, kUnitsTestedMessageName);
    ASSERT_EQ(Sns(messages), NumberedSns(20));
    std::set<std::string> ids;
    for (const auto& message : messages) {
        const json envelope = json::parse(message.body);
        EXPECT_EQ(envelope["MessageName"], "CFX.Production.TestAndInspection.UnitsTested");
        EXPECT_EQ(envelope["Source"], kHandle);
        EXPECT_EQ(envelope["UniqueID"], message.id);
        EXPECT_EQ(envelope["MessageBody"]["TestedUnits"][0]["UnitPositionNumber"], 3);
        EXPECT_EQ(envelope["MessageBody"]["TestedUnits"][0]["OverallResult"], "Passed");
        ids.insert(message.id);
    }
    EXPECT_EQ(ids.size(), 20u) << "UniqueIDs are distinct";
    EXPECT_TRUE(AwaitStatus("")) << window.statusNote;
    // The outbox this slot's station used, read as the listing reads it.
    EXPECT_EQ(MesOutbox(dir.Path() / SlotFolder(3) / kMesOutboxFileName, OutboxAccess::ReadOnly).Count(), 0);
}

TEST_F(MesStation, TheUnitsPositionIsItsSlotOrOneWithoutSlots)
{
    const std::pair<int, int> cases[] = {{0, 1}, {2, 2}};
    for (const auto& [slot, position] : cases) {
        const TestBroker queue;
        StartStation(url, queue.Address(), slot);
        StoreUnit("SN-slot" + std::to_string(slot));
        const auto messages = ReceiveMessages(url, queue.Address(), 1, kArrival, kUnitsTestedMessageName);
        ASSERT_EQ(messages.size(), 1u) << slot;
        EXPECT_EQ(json::parse(messages[0].body)["MessageBody"]["TestedUnits"][0]["UnitPositionNumber"], position)
            << slot;
    }
}

// Settings that cannot be used still queue every unit; once the profile is
// fixed and the station started again, all of them arrive.
TEST_F(MesStation, UnitsStoredWhileTheSettingsAreWrongArriveOnceTheyAreFixed)
{
    const fs::path credentials = dir.Path() / "mes-login";
    std::ofstream(credentials) << "guest:guest\n";
    chmod(credentials.c_str(), 0644);
    const fs::path outbox = dir.Path() / kMesOutboxFileName;
    const struct {
        const char* name;
        std::string url;
        std::string mes;
        std::function<void()> breakIt;
        std::function<void()> fixIt;
    } cases[] = {
        // First: a new outbox reads the whole journal.
        {"outbox cannot be opened", url, "", [&] { fs::create_directories(outbox / "in-the-way"); },
         [&] { fs::remove_all(outbox); }},
        {"bad scheme", "http://" + url.substr(url.find("://") + 3), "", [] {}, [] {}},
        {"credentials readable by others", url, "CREDENTIALS=" + credentials.string() + "\n", [] {}, [] {}},
    };
    int round = 0;
    for (const auto& c : cases) {
        const TestBroker queue;
        c.breakIt();
        StartStation(c.url, queue.Address(), 0, c.mes);
        std::vector<std::string> sns;
        for (int i = 1; i <= 3; ++i) {
            sns.push_back("SN-" + std::to_string(round) + "-" + std::to_string(i));
            StoreUnit(sns.back());
        }
        station.reset();
        c.fixIt();
        StartStation(url, queue.Address());
        EXPECT_EQ(Sns(ReceiveMessages(url, queue.Address(), 3, kArrival, kUnitsTestedMessageName)), sns) << c.name;
        // Sent at least once: a message whose acceptance the station has not
        // yet recorded when it stops goes again, to the next round's queue.
        EXPECT_TRUE(AwaitStatus("")) << c.name << ": " << window.statusNote;
        ++round;
    }
}

TEST_F(MesStation, UnitsStoredWhileTheBrokerIsAwayWaitThenArriveInOrderAfterARestart)
{
    StartStation(url, broker.Address());
    TestBroker::Pause();
    // The failure is known before the units come.
    ASSERT_TRUE(AwaitStatus("MES: 0 waiting (")) << window.statusNote;
    StoreUnits(50);
    EXPECT_EQ(HandOffBoxes(), 1) << "one message about the hand-off, never one per unit";
    EXPECT_EQ(StatusNote().rfind("MES: 50 waiting", 0), 0u) << window.statusNote;
    EXPECT_EQ(StoredRows(), 50) << "every unit is stored";
    station.reset();
    StartStation(url, broker.Address());  // a restarted station sends what waits
    TestBroker::Resume();
    EXPECT_EQ(Sns(ReceiveMessages(url, broker.Address(), 50, kArrival, kUnitsTestedMessageName)), NumberedSns(50));
    EXPECT_TRUE(AwaitStatus("")) << window.statusNote;
    EXPECT_EQ(MesOutbox(dir.Path() / kMesOutboxFileName).Count(), 0);
}

TEST_F(MesStation, ARefusedStoreSendsNothing)
{
    StartStation(url, broker.Address());
    StoreUnit("SN1");
    StoreUnit("SN1");
    EXPECT_EQ(window.boxes.back().text, "Written SN is already in database ");
    EXPECT_EQ(Sns(ReceiveMessages(url, broker.Address(), 2, kNothingMore, kUnitsTestedMessageName)), std::vector<std::string>({"SN1"}));
}

TEST_F(MesStation, WithoutTheSectionNothingIsQueued)
{
    WriteProfile("[Station]\nUSEMDB=YES\n");
    StationOptions options {kUnitPort};
    options.dataDir = dir.Path();
    Start(std::move(options));
    StoreUnit("SN1");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / kMesOutboxFileName));
    EXPECT_EQ(window.statusNote, "");
}

TEST_F(MesStation, ABadUrlOrAddressIsToldOnceAndTheUnitsAreStored)
{
    const struct {
        std::string url;
        std::string address;
        std::string reason;
    } cases[] = {
        {"http://" + url.substr(url.find("://") + 3), broker.Address(), "must start with amqp:// or amqps://"},
        {url, "/exchange/no-such-exchange/station", "NOT_FOUND"},
    };
    for (const auto& c : cases) {
        StartStation(c.url, c.address);
        window.boxes.clear();
        EXPECT_TRUE(AwaitStatus(c.reason)) << window.statusNote;
        StoreUnit("SN-A" + c.address);
        StoreUnit("SN-B" + c.address);
        ASSERT_EQ(HandOffBoxes(), 1) << c.url;
        EXPECT_NE(window.boxes.back().text.find(c.reason), std::string::npos) << window.boxes.back().text;
    }
    EXPECT_EQ(StoredRows(), 4);
}

}  // namespace
