// ONEKEY TEST of a station whose profile asks the MES first ([MES]
// VALIDATE=1), against the throwaway broker and the fake MES: what the
// operator sees, whether the unit is tested, and what its journal line and
// message say.
#include <nlohmann/json.hpp>

#include <thread>

#include "records/UnitJournal.h"
#include "tests/mes/FakeMes.h"
#include "tests/mes/TestBroker.h"
#include "tests/station/StationFixture.h"

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kArrival = 20s;  // bounds every wait on the broker
constexpr auto kPoll = 10ms;
constexpr const char* kPassedSn = "RZ26A0000001";
constexpr const char* kRefusedSn = "RZ26A0000002";
constexpr const char* kSilentSn = "RZ26A0000003";
constexpr const char* kRefusalBox = "The MES refused the unit: Unit skipped FCT (failure code 17)";
constexpr const char* kNoAnswerBox = "The MES did not answer";

class UnitValidationStation : public StationFixture {
protected:
    void SetUp() override
    {
        mes.Answer(kRefusedSn, FakeMesAnswer::Refuse("Unit skipped FCT", 17));
        mes.Answer(kSilentSn, FakeMesAnswer::Silent());
    }

    void StartStation(const std::string& onNoAnswer = "block")
    {
        station.reset();
        window = FakeWindow {};
        // A handle of this test's own: the station's answers' queue is named after it.
        WriteProfile("[Station]\nUSEMDB=YES\n[MES]\nURL=" + url + "\nADDRESS=" + stationQueue.Address() +
                     "\nHANDLE=Test.Validation." + std::to_string(getpid()) + "." + std::to_string(++stations) +
                     "\nVALIDATE=1\nVALIDATOR=" + requestQueue.Address() +
                     "\nVALIDATE_TIMEOUT=1\nON_NO_ANSWER=" + onNoAnswer + "\n");
        StationOptions options;
        options.fixedPort = kUnitPort;
        options.dataDir = dir.Path();
        Start(std::move(options));
    }

    // The operator scans the SN and presses ONEKEY TEST.
    void ScanAndPress(const std::string& sn)
    {
        window.SetText(ctl::kScanSn, sn);
        station->OnCommand(ctl::kOneKeyTest);
    }

    bool Validating() const { return window.timers.count(ctl::kUnitValidationTimer) == 1; }

    // Ticks the validation timer, as the window does, until it stops;
    // `meanwhile` runs at each tick.
    bool AwaitValidation(const std::function<void()>& meanwhile = [] {})
    {
        for (auto waited = 0ms; waited < kArrival; waited += kPoll) {
            meanwhile();
            station->OnTimer(ctl::kUnitValidationTimer);
            if (!Validating())
                return true;
            std::this_thread::sleep_for(kPoll);
        }
        return false;
    }

    bool Tested() const { return link.serial.opens > 0; }

    // The unit's values as the one-key test would have read them, then TEST FINISH.
    void FinishUnit(const std::string& sn)
    {
        station->OnTimer(ctl::kOneKeyWaitTimer);
        station->unit.sn = sn;
        station->unit.mac = "MAC-" + sn;
        station->unit.imei = "IMEI-" + sn;
        station->unit.pcbaSn = "PCBA-" + sn;
        station->OnCommand(ctl::kTestFinish);
    }

    UnitJournalEntry LastJournalEntry()
    {
        const auto read = ReadUnitJournal(UnitJournalPath(dir.Path(), JournalClock::now()));
        EXPECT_FALSE(read.entries.empty());
        return read.entries.empty() ? UnitJournalEntry {} : read.entries.back();
    }

    std::vector<std::string> Boxes() const
    {
        std::vector<std::string> texts;
        for (const auto& box : window.boxes)
            texts.push_back(box.text);
        return texts;
    }

    static inline int stations = 0;
    const std::string url = TestBroker::Url();
    TestBroker requestQueue;
    TestBroker stationQueue;
    FakeMes mes {url, requestQueue.Address(), stationQueue.Address()};
};

TEST_F(UnitValidationStation, APassedUnitIsTestedAndItsLineSaysSo)
{
    StartStation();
    ScanAndPress(kPassedSn);
    EXPECT_EQ(window.Text(ctl::kOneKeyResultBox), "Waiting for the MES");
    EXPECT_FALSE(Tested()) << "nothing touches the unit before the MES answered";
    ASSERT_TRUE(AwaitValidation());
    EXPECT_TRUE(Tested());
    EXPECT_TRUE(window.boxes.empty());
    EXPECT_EQ(window.Text(ctl::kOneKeyResultBox), "") << "the wait's status went";
    EXPECT_EQ(window.Text(ctl::kScanSn), kPassedSn) << "the scans stay";

    ASSERT_EQ(mes.Requests().size(), 1u);
    const json body = mes.Requests()[0].envelope["MessageBody"];
    EXPECT_EQ(body["PrimaryIdentifier"], kPassedSn);
    EXPECT_EQ(body["Units"][0]["UnitIdentifier"], kPassedSn);
    EXPECT_EQ(body["Units"][0]["PositionNumber"], 1);

    FinishUnit(kPassedSn);
    const UnitJournalEntry entry = LastJournalEntry();
    EXPECT_TRUE(entry.stored);
    EXPECT_EQ(entry.validation, "passed");
}

TEST_F(UnitValidationStation, ARefusedUnitShowsTheMesMessageIsNotTestedAndItsLineRecordsTheRefusal)
{
    StartStation();
    ScanAndPress(kRefusedSn);
    ASSERT_TRUE(AwaitValidation());
    EXPECT_FALSE(Tested());
    EXPECT_EQ(Boxes(), std::vector<std::string>({kRefusalBox}));
    EXPECT_EQ(window.Text(ctl::kOneKeyResultBox), "Refused by the MES");
    const UnitJournalEntry entry = LastJournalEntry();
    EXPECT_EQ(entry.sn, kRefusedSn);
    EXPECT_FALSE(entry.stored);
    EXPECT_EQ(entry.refusal, kRefusalBox);
    EXPECT_EQ(entry.validation, "refused");
    EXPECT_TRUE(entry.items.empty());
    EXPECT_FALSE(entry.testStart.has_value());
    // The station is blocked by the refusal: its state change reaches the MES.
    bool blocked = false;
    for (auto waited = 0ms; !blocked && waited < kArrival; waited += kPoll) {
        for (const auto& message : mes.Published())
            blocked = blocked || (message.Name() == "CFX.ResourcePerformance.StationStateChanged" &&
                                  message.envelope["MessageBody"]["NewState"] == "2500");
        std::this_thread::sleep_for(kPoll);
    }
    EXPECT_TRUE(blocked);
}

// The silent MES: a box and no test with block; the test with allow, the
// unit's line and message marked as not validated.
TEST_F(UnitValidationStation, WithoutAnAnswerBlockStopsTheUnitAndAllowTestsItMarked)
{
    StartStation("block");
    ScanAndPress(kSilentSn);
    ASSERT_TRUE(AwaitValidation());
    EXPECT_FALSE(Tested());
    EXPECT_EQ(Boxes(), std::vector<std::string>({kNoAnswerBox}));
    EXPECT_EQ(window.Text(ctl::kOneKeyResultBox), "the MES did not answer within 1 s");

    StartStation("allow");
    ScanAndPress(kSilentSn);
    ASSERT_TRUE(AwaitValidation());
    EXPECT_TRUE(Tested());
    EXPECT_TRUE(window.boxes.empty());
    FinishUnit(kSilentSn);
    EXPECT_EQ(LastJournalEntry().validation, "not validated");
    ASSERT_TRUE(mes.AwaitPublished(1, kArrival));
    const json tests = mes.Published()[0].envelope["MessageBody"]["TestedUnits"][0]["Tests"];
    for (const json& test : tests)
        EXPECT_EQ(test["Comments"], "Not validated by the MES: it did not answer before the test");
}

TEST_F(UnitValidationStation, TheWindowKeepsWorkingWhileTheMesIsAsked)
{
    StartStation();
    ScanAndPress(kSilentSn);
    int ticks = 0;
    ASSERT_TRUE(AwaitValidation([&] {
        // The hand-off's timer is served, and a second press asks nothing more.
        window.statusNote = "not refreshed";
        station->OnTimer(ctl::kMesStatusTimer);
        EXPECT_NE(window.statusNote, "not refreshed");
        if (ticks++ == 1)
            station->OnCommand(ctl::kOneKeyTest);
    }));
    EXPECT_GT(ticks, 1);
    EXPECT_EQ(mes.Requests().size(), 1u);
    EXPECT_EQ(Boxes(), std::vector<std::string>({kNoAnswerBox}));
}

TEST_F(UnitValidationStation, WithoutAScannedSnNothingIsAskedNorTested)
{
    StartStation();
    ScanAndPress("");
    EXPECT_FALSE(Validating());
    EXPECT_FALSE(Tested());
    EXPECT_EQ(Boxes(), std::vector<std::string>({"Scan the unit's SN: the MES validates the unit by it"}));
    EXPECT_TRUE(mes.Requests().empty());
}

}  // namespace
