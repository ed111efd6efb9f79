// A station with [MES] as a CFX endpoint, against the throwaway broker and
// the fake MES: each run framed by WorkStarted and WorkCompleted around its
// UnitsTested, the state changes of a run, the heartbeat and the answer to
// AreYouThereRequest.
#include <nlohmann/json.hpp>

#include <chrono>
#include <thread>

#include "config/SlotMap.h"
#include "mes/EndpointMessages.h"
#include "mes/MesHandOff.h"
#include "mes/WorkMessages.h"
#include "records/UnitJournal.h"
#include "tests/mes/FakeMes.h"
#include "tests/mes/TestBroker.h"
#include "tests/station/StationFixture.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kArrival = 20s;
constexpr auto kSettle = 1s;  // for messages that should not come
constexpr const char* kHandle = "Factory.Line1.ST-07";

class CfxEndpointStation : public StationFixture {
protected:
    void StartStation(const std::string& moreMes = "", const std::string& useMdb = "YES")
    {
        station.reset();
        WriteProfile("[Station]\nUSEMDB=" + useMdb + "\n[MES]\nURL=" + url + "\nADDRESS=" + published.Address() +
                     "\nHANDLE=" + kHandle + "\n" + moreMes);
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
    }

    void OneKeyStart(const std::string& sn)
    {
        station->scanned.sn = sn;
        station->OnCommand(ctl::kOneKeyTest);
    }

    void TestFinish(const std::string& sn)
    {
        station->unit.sn = sn;
        station->unit.mac = "MAC-" + sn;
        station->unit.imei = "IMEI-" + sn;
        station->unit.pcbaSn = "PCBA-" + sn;
        station->OnCommand(ctl::kTestFinish);
    }

    // The names of what the MES got once `count` messages of a run came,
    // leaving out the endpoint's and state messages.
    std::vector<FakeMesMessage> Work(size_t count)
    {
        std::vector<FakeMesMessage> work;
        for (auto waited = 0ms; waited < kArrival; waited += 50ms) {
            work.clear();
            for (const auto& message : mes.Published()) {
                const std::string name = message.Name();
                if (name == kWorkStartedMessageName || name == kWorkCompletedMessageName ||
                    name == "CFX.Production.TestAndInspection.UnitsTested")
                    work.push_back(message);
            }
            if (work.size() >= count)
                break;
            std::this_thread::sleep_for(50ms);
        }
        return work;
    }

    std::vector<json> StateChanges()
    {
        std::vector<json> changes;
        for (const auto& message : mes.Published()) {
            if (message.Name() == kStationStateChangedMessageName)
                changes.push_back(message.envelope["MessageBody"]);
        }
        return changes;
    }

    static std::vector<std::string> Names(const std::vector<FakeMesMessage>& messages)
    {
        std::vector<std::string> names;
        for (const auto& message : messages)
            names.push_back(message.Name());
        return names;
    }

    const std::string url = TestBroker::Url();
    TestBroker requests;
    TestBroker published;
    FakeMes mes {url, requests.Address(), published.Address()};
};

TEST_F(CfxEndpointStation, ATestedUnitIsFramedByWorkStartedAndWorkCompletedWithOneTransaction)
{
    StartStation();
    OneKeyStart("SN-CFX1");
    TestFinish("SN-CFX1");
    const auto work = Work(3);
    ASSERT_EQ(Names(work), (std::vector<std::string> {kWorkStartedMessageName,
                                                      "CFX.Production.TestAndInspection.UnitsTested",
                                                      kWorkCompletedMessageName}));
    const std::string transaction = work[0].envelope["MessageBody"]["TransactionID"];
    EXPECT_EQ(work[0].envelope["MessageBody"]["Units"][0]["UnitIdentifier"], "SN-CFX1");
    EXPECT_EQ(work[1].envelope["MessageBody"]["TransactionId"], transaction);
    EXPECT_EQ(work[2].envelope["MessageBody"]["TransactionID"], transaction);
    const std::string result = work[2].envelope["MessageBody"]["Result"];
    EXPECT_TRUE(result == "Completed" || result == "Failed") << result;
    const auto journal = ReadUnitJournal(UnitJournalPath(dir.Path(), JournalClock::now()));
    ASSERT_EQ(journal.entries.size(), 1u);
    EXPECT_EQ(journal.entries[0].transactionId, transaction) << "the unit's line keeps its transaction";
    EXPECT_EQ(journal.skippedLines, 0) << "the event lines are not torn units";
}

// Without the result files RETEST needs no TEST FINISH first.
TEST_F(CfxEndpointStation, ARetestMidRunGivesWorkCompletedAbortedWithoutUnitsTested)
{
    StartStation("", "NO");
    OneKeyStart("SN-CFX2");
    station->OnCommand(ctl::kRetest);
    const auto work = Work(2);
    std::this_thread::sleep_for(kSettle);
    ASSERT_EQ(Names(Work(2)), (std::vector<std::string> {kWorkStartedMessageName, kWorkCompletedMessageName}));
    EXPECT_EQ(work[1].envelope["MessageBody"]["Result"], "Aborted");
    EXPECT_EQ(work[1].envelope["MessageBody"]["TransactionID"], work[0].envelope["MessageBody"]["TransactionID"]);
    // The next unit's run has a transaction of its own.
    OneKeyStart("SN-CFX3");
    station->OnCommand(ctl::kRetest);
    const auto next = Work(4);
    ASSERT_EQ(next.size(), 4u);
    EXPECT_NE(next[2].envelope["MessageBody"]["TransactionID"], work[0].envelope["MessageBody"]["TransactionID"]);
}

// From start to EXIT: idle, processing, idle, off; the durations add up to
// the time the station ran.
TEST_F(CfxEndpointStation, StateChangesFollowARunAndTheirDurationsAddUpToTheWallTime)
{
    const auto started = std::chrono::steady_clock::now();
    StartStation();
    std::this_thread::sleep_for(300ms);
    OneKeyStart("SN-CFX4");
    std::this_thread::sleep_for(200ms);
    TestFinish("SN-CFX4");
    station->CfxStationBlocked("the MES refused the unit");
    std::this_thread::sleep_for(100ms);
    station->OnDestroy();
    const auto ended = std::chrono::steady_clock::now();
    station.reset();
    for (auto waited = 0ms; StateChanges().size() < 4 && waited < kArrival; waited += 50ms)
        std::this_thread::sleep_for(50ms);
    const auto changes = StateChanges();
    const std::pair<const char*, const char*> expected[] = {
        {"2200", "1100"}, {"1100", "2200"}, {"2200", "2500"}, {"2500", "6500"}};
    ASSERT_EQ(changes.size(), std::size(expected));
    double total = 0;
    for (size_t i = 0; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i]["OldState"], expected[i].first) << i;
        EXPECT_EQ(changes[i]["NewState"], expected[i].second) << i;
        int hours = 0, minutes = 0;
        double seconds = 0;
        ASSERT_EQ(std::sscanf(changes[i]["OldStateDuration"].get<std::string>().c_str(), "%d:%d:%lf", &hours,
                              &minutes, &seconds),
                  3);
        total += hours * 3600 + minutes * 60 + seconds;
    }
    const double wall = std::chrono::duration<double>(ended - started).count();
    EXPECT_NEAR(total, wall, 1.0);
    EXPECT_GE(total, 0.6) << "the sleeps are in it";
}

TEST_F(CfxEndpointStation, HeartbeatsComeEveryPeriodAndAreYouThereIsAnswered)
{
    StartStation("HEARTBEAT=1\n");
    const json request{{"MessageName", kAreYouThereRequestName},
                       {"Version", "1.2"},
                       {"TimeStamp", "2026-12-08T08:00:00.000+00:00"},
                       {"UniqueID", "ayt-1"},
                       {"Source", "Test.MES"},
                       {"Target", kHandle},
                       {"RequestID", nullptr},
                       {"MessageBody", {{"CFXHandle", kHandle}}}};
    const auto reply = mes.Ask(StationRequestAddress(kHandle), request.dump(), kArrival);
    ASSERT_TRUE(reply.has_value()) << "no answer from the station";
    const json answer = json::parse(*reply);
    EXPECT_EQ(answer["MessageName"], kAreYouThereResponseName);
    EXPECT_EQ(answer["RequestID"], "ayt-1");
    EXPECT_EQ(answer["MessageBody"]["CFXHandle"], kHandle);
    EXPECT_EQ(answer["MessageBody"]["Result"]["Result"], "Success");
    EXPECT_EQ(answer["MessageBody"]["RequestTargetAddress"], StationRequestAddress(kHandle));
    EXPECT_EQ(answer["MessageBody"]["RequestNetworkUri"], url);

    std::this_thread::sleep_for(2500ms);
    EXPECT_GE(mes.Heartbeats(), 2);
    EXPECT_LE(mes.Heartbeats(), 4);
    for (const auto& message : mes.Published()) {
        if (message.Name() == kHeartbeatMessageName) {
            EXPECT_EQ(message.envelope["MessageBody"]["HeartbeatFrequency"], "00:00:01");
        }
    }
    const auto published = mes.Published();
    const auto connected = std::count_if(published.begin(), published.end(), [](const auto& message) {
        return message.Name() == kEndpointConnectedMessageName;
    });
    EXPECT_EQ(connected, 1);
}

TEST_F(CfxEndpointStation, NoHeartbeatWhenItIsOff)
{
    StartStation("HEARTBEAT=0\n");
    std::this_thread::sleep_for(kSettle);
    EXPECT_EQ(mes.Heartbeats(), 0);
}

// The station died after an event's line was written and before the sender
// took it: the next start sends it.
TEST_F(CfxEndpointStation, AnEventLineLeftInTheJournalIsSentOnTheNextStart)
{
    {
        // A hand-off whose broker cannot be reached: the event stays in the journal.
        std::string error;
        auto handOff = MesHandOff::Start({"amqp://127.0.0.1:1", published.Address(), kHandle, "", false},
                                         dir.Path() / SlotFolder(0), dir.Path(), 0, &error);
        handOff->PublishEvent(WorkCompletedMessage("t-left", WorkResult::Aborted, {kHandle, 1}, JournalClock::now()));
    }
    // As if killed before the outbox took it: the outbox knows nothing.
    for (const auto& file : std::filesystem::directory_iterator(dir.Path() / SlotFolder(0))) {
        if (file.path().filename().string().starts_with(kMesOutboxFileName))
            std::filesystem::remove(file.path());
    }
    StartStation();
    bool arrived = false;
    for (auto waited = 0ms; !arrived && waited < kArrival; waited += 50ms) {
        for (const auto& message : mes.Published())
            arrived = arrived || (message.Name() == kWorkCompletedMessageName &&
                                  message.envelope["MessageBody"]["TransactionID"] == "t-left");
        std::this_thread::sleep_for(50ms);
    }
    EXPECT_TRUE(arrived);
}

}  // namespace
