// The one-key test in virtual time against the simulated unit: the sequence,
// its stop rules, the wait for the judgements, the verdict and what follows.
#include <algorithm>
#include <functional>

#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

using Onekey = StationProfile::OnekeySection;

// Prefixes the simulated unit's values begin with.
const char* const kStation = "[Station]\n"
                             "CHECKVER=RZ_V1.2.2\nCHECKIMEINO=86740001\nCHECKMACNO=A45E60\n"
                             "CHECKSSIDNO=RURIZUDA\nCHECKSNNO=RZ26A\nCHECKPCBASNNO=PB26A\n"
                             "2GRSSI=30\n4GRSSI=20\nGSMRFCALDATACHECK=YES\n";

constexpr int kOneKeyLabels[] = {1102, 1103, 1104, 1105, 1106, 1107, 1108, 1109, 1110, 1111,
                                 1112, 1113, 1116, 1121, 1126, 1134, 1144, 1146, 1149, 1150};

class OneKey : public StationFixture {
protected:
    void Press() { station->OnCommand(ctl::kOneKeyTest); }
    void Tick() { station->OnTimer(ctl::kOneKeyWaitTimer); }
    bool Waiting() const { return window.timers.count(ctl::kOneKeyWaitTimer) == 1; }
    std::string Verdict() const { return window.Text(ctl::kOneKeyResultBox); }

    // Requests the station wrote that contain `text`.
    int Sent(const std::string& text) const
    {
        return static_cast<int>(std::count_if(link.serial.writes.begin(), link.serial.writes.end(),
                                              [&](const std::string& w) { return w.find(text) != std::string::npos; }));
    }

    std::vector<int> ShownLabels() const
    {
        std::vector<int> shown;
        for (int label : kOneKeyLabels) {
            if (window.IsVisible(label))
                shown.push_back(label);
        }
        return shown;
    }

    // The one-key lamp and box as the operator saw them, in order.
    std::vector<std::string> OneKeyEvents() const
    {
        std::vector<std::string> seen;
        for (const std::string& event : window.events) {
            if (event.starts_with("picture 1101 ") || event.starts_with("text 1097 "))
                seen.push_back(event);
        }
        return seen;
    }
};

std::vector<std::string> OneKeyReport(const char* picture, const std::string& message)
{
    return {std::string("picture 1101 ") + picture, "text 1097 " + message};
}

TEST_F(OneKey, WithEveryItemOffConnectsWaitsAndPassesOneTickLater)
{
    StartWith(kStation);
    Press();
    EXPECT_EQ(link.serial.opens, 1);
    EXPECT_NE(AtPort, 0);
    EXPECT_EQ(window.timers, (std::map<int, int> {{ctl::kOneKeyWaitTimer, 1000}}));
    EXPECT_EQ(Verdict(), "");
    Tick();
    EXPECT_EQ(OneKeyEvents(), OneKeyReport("success", "Onekey Test successfully!"));
    EXPECT_FALSE(Waiting());
    EXPECT_TRUE(ShownLabels().empty());
}

// What follows a pass: restore wins over reboot; the wait only with a delay.
TEST_F(OneKey, AfterAPassRestoresOrRebootsAfterTheDelay)
{
    struct Row {
        const char* onekey;
        std::vector<std::string> status;  // RESULT box and main lamp after the verdict
        int restores;
        int reboots;
        int64_t waitedMs;
    };
    const Row rows[] = {
        {"", {}, 0, 0, 0},
        {"STARTRESET=YES\n", Report(1029, "success", "begin to reboot!"), 0, 1, 0},
        {"STARTRESTORE=YES\nSTARTRESET=YES\nDELAYTIME_BEFORE_RESET_OR_RESTORE=3\n",
         Report(1029, "going", "Waitting before reset!") + Report(1029, "success", "begin to restore!"), 1, 0, 3000},
        {"STARTRESET=YES\nDELAYTIME_BEFORE_RESET_OR_RESTORE=0\n", Report(1029, "success", "begin to reboot!"), 0, 1,
         0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.onekey);
        StartWith(std::string(kStation) + "[Onekey]\n" + row.onekey);
        link.serial.writes.clear();
        Press();
        window.events.clear();
        link.clock.events.clear();
        Tick();
        EXPECT_EQ(StatusEvents(window),
                  std::vector<std::string> {"picture 1101 success"} + row.status);
        EXPECT_EQ(Sent("AT+RSTSET"), row.restores);
        EXPECT_EQ(Sent("AT+RESET"), row.reboots);
        const bool waited = std::count(link.clock.events.begin(), link.clock.events.end(), "sleep 3000") == 1;
        EXPECT_EQ(waited, row.waitedMs != 0);
    }
}

TEST_F(OneKey, WithTheLedOnTheVerdictWaitsForItsJudgement)
{
    struct Row {
        int button;
        std::vector<std::string> verdict;
        std::vector<int> labels;
    };
    const Row rows[] = {
        {ctl::kLedPass, OneKeyReport("success", "Onekey Test successfully!"), {}},
        {ctl::kLedFail, OneKeyReport("fail", "Failed in Onekey Test!"), {ctl::kFailReadLed}},
    };
    for (const Row& row : rows) {
        StartWith(std::string(kStation) + "[Onekey]\nTESTLED=YES\n");
        Press();
        EXPECT_TRUE(station->unit.ledResult.empty());
        EXPECT_TRUE(unit.State().ledsAllOn);
        Tick();
        Tick();
        EXPECT_EQ(Verdict(), "");
        EXPECT_TRUE(Waiting());
        station->OnCommand(row.button);
        window.events.clear();
        Tick();
        EXPECT_EQ(OneKeyEvents(), row.verdict);
        EXPECT_EQ(ShownLabels(), row.labels);
        EXPECT_FALSE(Waiting());
    }
}

TEST_F(OneKey, ReleaseDateWithoutAVersionReadStopsAtOnceWithoutLabels)
{
    StartWith("[Station]\nCHECKRELDATETIME=2026-10-14\n[Onekey]\nREADRELDATE=YES\nREADSIM=YES\n");
    Press();
    EXPECT_EQ(StatusEvents(window), Report(1029, "fail", "The Release date does not match!") +
                                         std::vector<std::string> {"picture 1101 fail"});
    EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
    EXPECT_EQ(Sent("SIMDETEC"), 0);
    EXPECT_TRUE(ShownLabels().empty());
    EXPECT_FALSE(Waiting());
    EXPECT_EQ(std::count(link.clock.events.begin(), link.clock.events.end(), "sleep 100"), 0);
}

TEST_F(OneKey, AFailedConnectionEndsTheRunWithoutATimer)
{
    StartWith(std::string(kStation) + "[Onekey]\nREADSIM=YES\n");
    link.serial.FailOpen(true);
    Press();
    EXPECT_EQ(StatusEvents(window),
              std::vector<std::string> {"box WARNING stop: Fail to connect target!  Please try again!"} +
                  Report(1029, "fail", "Fail to connect target,please try again.") +
                  std::vector<std::string> {"picture 1101 fail"});
    EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
    EXPECT_FALSE(Waiting());
}

// The identity stops: the item's check fails, the rest of the sequence does
// not run, the labels and the failed verdict come at once and no wait starts.
TEST_F(OneKey, AFailedIdentityCheckStopsTheSequence)
{
    struct Row {
        const char* name;
        std::string Onekey::*item;
        std::function<void()> spoil;
        bool pausedFirst;  // the 100 ms pause came before the stop
        int label;
    };
    const Row rows[] = {
        {"MAC scan", &Onekey::readMac,
         [this] { window.SetText(ctl::kScanMac, "A45E60C12200"); }, true, ctl::kFailReadMac},
        {"IMEI scan", &Onekey::readImei,
         [this] { window.SetText(ctl::kScanImei, "867400012345670"); }, true, ctl::kFailReadImei},
        {"stale SN outcome", &Onekey::readSn,
         [this] {
             station->checks.snCheckOk = 0;  // an earlier mismatch on this unit
             unit.State().snError = true;
         },
         false, ctl::kFailReadSn},
        {"PCBA SN scan", &Onekey::readPcbaSn,
         [this] { window.SetText(ctl::kScanPcbaSn, "PB26A0000000"); }, false, ctl::kFailReadPcbaSn},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StartWith(std::string(kStation) +
                  "CHECKSCANMAC=YES\nCHECKSCANIMEI=YES\nCHECKSCANSN=YES\nCHECKSCANPCBASN=YES\n");
        station->profile.onekey.*row.item = "YES";
        station->profile.onekey.readSim = "YES";
        row.spoil();
        Press();
        EXPECT_EQ(Sent("SIMDETEC"), 0);
        EXPECT_EQ(ShownLabels(), std::vector<int> {row.label});
        EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
        EXPECT_FALSE(Waiting());
        EXPECT_EQ(link.clock.events.back() == "sleep 100", row.pausedFirst);
        link.clock.events.clear();
        link.serial.writes.clear();
        station->checks = CheckOutcomes {};
        unit.State().snError = false;
    }
}

// The wait and the key poll of an earlier run stop when a new run starts or
// at RETEST: an old tick never gives a new run its verdict or a restore.
TEST_F(OneKey, ANewRunOrRetestStopsTheTimersOfAnEarlierRun)
{
    StartWith(std::string(kStation) + "CHECKSCANMAC=YES\n[Onekey]\nTESTLED=YES\nTESTKEY=YES\nSTARTRESTORE=YES\n");
    Press();
    ASSERT_TRUE(Waiting());
    ASSERT_EQ(window.timers.count(ctl::kKeyPollTimer), 1u);
    station->profile.onekey.readMac = "YES";
    window.SetText(ctl::kScanMac, "A45E60C12200");
    Press();  // stops at the MAC check, before any wait
    EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
    EXPECT_TRUE(window.timers.empty());
    station->profile.onekey.readMac = "NO";
    Press();
    ASSERT_TRUE(Waiting());
    station->OnRetest();
    EXPECT_TRUE(window.timers.empty());
    EXPECT_EQ(Sent("AT+RSTSET"), 0);
}

// With the code from the IMEI, UNLOCK (the first item) reads the IMEI itself.
TEST_F(OneKey, UnlockWithTheCodeFromTheImeiPassesOnALockedUnit)
{
    StartWith(std::string(kStation) + "[Onekey]\nWRITE_UNLOCK_PN=YES\nREADIMEI=YES\n"
                                      "[LockPN]\nLOCKCODE_FROMIMEI_ENABLE=YES\n");
    unit.State().pnLocked = true;
    unit.State().unlockCode = "867400012345678";
    Press();
    Tick();
    EXPECT_EQ(Verdict(), "Onekey Test successfully!");
    EXPECT_EQ(Sent("AT+clck=PN,0,867400012345678\r"), 1);
    EXPECT_FALSE(unit.State().pnLocked);
}

// A failed verdict is never followed by a restore or a reboot, and the next
// run starts with an empty mask and no labels.
TEST_F(OneKey, AFailedRunSendsNoRestoreAndTheNextRunStartsClean)
{
    StartWith(std::string(kStation) + "[Onekey]\nREADSIM=YES\nTESTLED=YES\nSTARTRESTORE=YES\nSTARTRESET=YES\n");
    unit.State().simPresent = false;
    Press();
    station->OnCommand(ctl::kLedPass);
    Tick();
    ASSERT_EQ(ShownLabels(), std::vector<int> {ctl::kFailReadSim});
    EXPECT_EQ(Sent("AT+RSTSET") + Sent("AT+RESET"), 0);
    unit.State().simPresent = true;
    Press();
    EXPECT_EQ(station->FailureMask, 0u);
    EXPECT_TRUE(ShownLabels().empty());
    station->OnCommand(ctl::kLedPass);
    Tick();
    EXPECT_EQ(Verdict(), "Onekey Test successfully!");
    EXPECT_EQ(Sent("AT+RSTSET"), 1);
}

// A KEY TEST that cannot start still ends the key judgement: the verdict comes.
TEST_F(OneKey, AKeyTestThatCannotStartStillGivesAVerdict)
{
    StartWith(std::string(kStation) + "[Onekey]\nTESTKEY=YES\n");
    link.serial.FailWrite(true);
    Press();
    link.serial.FailWrite(false);
    Tick();
    EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
    EXPECT_FALSE(Waiting());
    EXPECT_EQ(ShownLabels(), std::vector<int> {ctl::kFailTestKey});
}

// The restore or reboot after a pass reaches the unit when the last item
// closed the port, and a command that cannot be sent is reported as failed.
TEST_F(OneKey, ThePostTestCommandConnectsFirstAndReportsAFailure)
{
    struct Row {
        const char* name;
        std::function<void()> before;
        std::vector<std::string> status;
        int restores;
    };
    const Row rows[] = {
        {"port closed by the last item", [] {}, Report(1029, "success", "begin to restore!"), 1},
        {"port cannot be opened", [this] { link.serial.FailOpen(true); },
         std::vector<std::string> {"box WARNING stop: Fail to connect target!  Please try again!"} +
             Report(1029, "fail", "Fail to connect target,please try again."),
         0},
        {"request cannot be sent", [this] { link.serial.FailWrite(true); },
         Report(1029, "fail", "Failed to Restore!"), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        StartWith(std::string(kStation) + "[Onekey]\nREADSIM=YES\nSTARTRESTORE=YES\n");
        Press();
        ASSERT_EQ(AtPort, 0);  // READ SIM closed it
        row.before();
        link.serial.writes.clear();
        window.events.clear();
        Tick();
        EXPECT_EQ(StatusEvents(window), std::vector<std::string> {"picture 1101 success"} + row.status);
        EXPECT_EQ(Sent("AT+RSTSET"), row.restores);
        link.serial.FailOpen(false);
        link.serial.FailWrite(false);
    }
}

// Each failing item sets its own bit of the failure mask and shows its label.
TEST_F(OneKey, EachFailedItemSetsItsBitAndShowsItsLabel)
{
    struct Row {
        std::string Onekey::*item;
        std::function<void(sim::UnitState&)> spoil;
        uint32_t bits;
        std::vector<int> labels;
    };
    const Row rows[] = {
        {&Onekey::readVer, [](sim::UnitState& u) { u.version = "XX_V9"; }, 0x1, {ctl::kFailReadVer}},
        {&Onekey::readImei, [](sim::UnitState& u) { u.imei = "111111111111111"; }, 0x4, {ctl::kFailReadImei}},
        {&Onekey::readMac, [](sim::UnitState& u) { u.mac = "00:11:22:33:44:55"; }, 0x8, {ctl::kFailReadMac}},
        {&Onekey::readSn, [](sim::UnitState& u) { u.snError = true; }, 0x10, {ctl::kFailReadSn}},
        {&Onekey::readSsid, [](sim::UnitState& u) { u.ssid = "OTHER-229F"; }, 0x20, {ctl::kFailReadSsid}},
        {&Onekey::readSim, [](sim::UnitState& u) { u.simPresent = false; }, 0x40, {ctl::kFailReadSim}},
        {&Onekey::readSd, [](sim::UnitState& u) { u.sdStateDigit = '3'; }, 0x80, {ctl::kFailReadSd}},
        {&Onekey::readWifi, [](sim::UnitState& u) { u.wifiStateDigit = '0'; }, 0x400, {ctl::kFailWifiStatus}},
        {&Onekey::rfCalDataCheck, [](sim::UnitState& u) { u.calFilePresent[0] = false; }, 0x800,
         {ctl::kFailRfCalCheck}},
        {&Onekey::rfRssiCheck, [](sim::UnitState& u) { u.cesq = {"5", "0", "", "", "3", "4"}; }, 0x1000,
         {ctl::kFailRssiCheck}},
        {&Onekey::readChargerStatus, [](sim::UnitState& u) { u.chargerConnected = false; }, 0x4000,
         {ctl::kFailReadCharger}},
        {&Onekey::writeLinuxUsbMode, [](sim::UnitState& u) { u.withholdDAnswers = true; }, 0x8000 | 0x100000,
         {ctl::kFailWriteUsbMode, ctl::kFailConfirmUsbMode}},
        {&Onekey::readPcbaSn, [](sim::UnitState& u) { u.pcbaSnError = true; }, 0x10000, {ctl::kFailReadPcbaSn}},
        {&Onekey::readLinuxUsbMode, [](sim::UnitState& u) { u.usbModeDigit = '2'; }, 0x100000,
         {ctl::kFailConfirmUsbMode}},
        {&Onekey::writeLockPn, [](sim::UnitState& u) { u.pnLocked = true; }, 0x20000, {ctl::kFailLock}},
        {&Onekey::writeUnlockPn, [](sim::UnitState&) {}, 0x40000, {ctl::kFailUnlock}},
        {&Onekey::readLockPn, [](sim::UnitState&) {}, 0x80000, {ctl::kFailConfirmLock}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.bits);
        StartWith(std::string(kStation) + "RFCALDATACHECK=YES\n");
        unit.State() = sim::UnitState {};
        row.spoil(unit.State());
        station->profile.onekey.*row.item = "YES";
        Press();
        Tick();
        EXPECT_EQ(station->FailureMask, row.bits);
        EXPECT_EQ(ShownLabels(), row.labels);
        EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
    }
}

TEST_F(OneKey, AKeyReportedAsFailedSetsTheKeyBit)
{
    StartWith(std::string(kStation) + "[Onekey]\nTESTKEY=YES\n");
    unit.State().keyReportDigit = '2';
    unit.State().keyReportDelayMs = 500;
    Press();
    EXPECT_EQ(station->KeyJudged, 0);
    station->OnTimer(ctl::kKeyPollTimer);
    Tick();
    EXPECT_EQ(station->FailureMask, 0x2000u);
    EXPECT_EQ(ShownLabels(), std::vector<int> {ctl::kFailTestKey});
}

TEST_F(OneKey, SeveralFailedItemsShowExactlyTheirLabels)
{
    StartWith(std::string(kStation) + "[Onekey]\nREADVER=YES\nREADIMEI=YES\nREADSIM=YES\nREADSD=YES\n"
                                      "READWIFI=YES\nREADCHARGERSTATUS=YES\n");
    unit.State().simPresent = false;
    unit.State().wifiStateDigit = '0';
    Press();
    Tick();
    EXPECT_EQ(ShownLabels(), (std::vector<int> {ctl::kFailReadSim, ctl::kFailWifiStatus}));
    EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
}

// The record of the run: the items that ran, in order, with their outcome.
TEST_F(OneKey, TheRunIsRecordedItemByItem)
{
    StartWith(std::string(kStation) + "[Onekey]\nREADIMEI=YES\nREADMAC=YES\nREADSIM=YES\nTESTLED=YES\n");
    unit.State().simPresent = false;
    Press();
    station->OnCommand(ctl::kLedFail);
    Tick();
    const OneKeyRun& run = station->LastOneKeyRun;
    std::vector<std::pair<std::string, int>> outcomes;
    int64_t previousEnd = 0;
    for (const OneKeyItemRun& item : run.items) {
        outcomes.emplace_back(item.name, item.result);
        EXPECT_GT(item.durationMs, 0) << item.name;
        EXPECT_GE(item.startMs, previousEnd) << item.name << " starts after the item before it";
        previousEnd = item.startMs + item.durationMs;
    }
    EXPECT_EQ(outcomes, (std::vector<std::pair<std::string, int>> {
                            {"READMAC", 1}, {"READIMEI", 1}, {"READSIM", 0}, {"TESTLED", 0}}));
    EXPECT_LE(run.started, run.ended);
}

}  // namespace
