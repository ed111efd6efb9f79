// The single items beyond their reports: what they show and store, and the
// operations whose flow differs from the plain read.
#include "link/AtTransaction.h"
#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

using Events = std::vector<std::string>;
constexpr int kMain = ctl::kMainLamp;

class Items : public StationFixture {
protected:
    void SetUp() override { Start(); }

    void Restart(const std::string& profile)
    {
        WriteProfile(profile);
        Start();
    }
};

TEST_F(Items, VersionOutOfRangeShowsBothValuesThenWarnsAndFails)
{
    Restart("[Station]\nCHECKVER=RZ_V9\n");
    station->OnReadVersion();
    EXPECT_EQ(window.Text(ctl::kVersionBox), "RZ_V1.2.2_B05");
    EXPECT_EQ(window.Text(ctl::kRelDateBox), "2026-10-14 10:31:07");
    const Events warning {"box WARNING warning: The Version is out of range!"};
    EXPECT_EQ(StatusEvents(window), Started(kMain) + warning + Report(kMain, "fail", "Failed to read version!"));
    EXPECT_EQ(station->FailureMask, failbit::kReadVer);
}

TEST_F(Items, LongValuesAreShownCutButStoredWhole)
{
    unit.State().version = std::string(58, 'V');
    unit.State().ssid = std::string(60, 'S');
    station->OnReadVersion();
    station->OnReadSsid();
    EXPECT_EQ(station->unit.version.size(), 58u);
    EXPECT_EQ(window.Text(ctl::kVersionBox).size(), 56u);
    EXPECT_EQ(station->unit.ssid.size(), 60u);
    EXPECT_EQ(window.Text(ctl::kSsidBox).size(), 56u);
}

TEST_F(Items, SsidLastFourMismatchGivesTwoBoxesThenFails)
{
    Restart("[Station]\nCHECKSSIDLAST4DIGITS=YES\n");
    station->OnReadMac();
    unit.State().ssid = "RURIZUDA-229f";
    window.events.clear();
    station->OnReadSsid();
    const Events boxes {"box RuriZuda warning: SSID last 4 digits not match MAC!",
                        "box WARNING warning: The SSID is out of range!"};
    EXPECT_EQ(StatusEvents(window), Started(kMain) + boxes + Report(kMain, "fail", "Failed to read SSID!"));
}

TEST_F(Items, StateItemsShowWhatTheUnitSaidWhenItFails)
{
    unit.State().simPresent = false;
    unit.State().sdStateDigit = '1';
    unit.State().chargerConnected = false;
    station->OnReadSim();
    station->OnReadSd();
    station->OnCharging();
    EXPECT_EQ(window.Text(ctl::kSimBox), "SIM not inserted");
    EXPECT_EQ(window.Text(ctl::kSdBox), "SD Filesys is not FAT32");
    EXPECT_EQ(window.Text(ctl::kChargingBox), "FAIL");
}

// An answer whose "OK" never comes fails the item, but what was extracted
// stays in the unit's values (so a failed unit can still be stored), and the
// boxes keep what they showed.
TEST_F(Items, ReadsWhoseOkNeverComesKeepTheExtractedValue)
{
    const struct {
        void (CRuriZudaDlg::*operation)();
        const char* answer;
        std::string UnitRecord::*value;
        const char* kept;
        int box;
    } rows[] = {
        {&CRuriZudaDlg::OnReadImei, "\r\n*MRD_IMEI:867400012345678\r\n", &UnitRecord::imei, "867400012345678",
         ctl::kImeiBox},
        {&CRuriZudaDlg::OnReadSn, "\r\n*MRD_SN:RZ26A0145871\r\n", &UnitRecord::sn, "RZ26A0145871", ctl::kSnBox},
        {&CRuriZudaDlg::OnRssiCheck, "\r\n+CESQ: 63,0,255,0,0,45\r\n", &UnitRecord::rssi4g, "45",
         ctl::kRssi4gBox},
    };
    for (const auto& row : rows) {
        window.SetText(row.box, "OLD");
        link.serial.Polls(0, row.answer).Silence(kAtPollLimit + 1);
        (station.get()->*row.operation)();
        EXPECT_EQ(station->unit.*row.value, row.kept) << row.answer;
        EXPECT_EQ(window.Text(row.box), "OLD") << row.answer;
        EXPECT_EQ(window.Text(ctl::kResultBox).find("Fail"), 0u) << row.answer;
    }
}

TEST_F(Items, RssiBlanksUnmeasuredSignalsAndDecidesWithoutThem)
{
    Restart("[Station]\n2GRSSI=30\n3GRSSI=20\n4GRSSI=20\n");
    unit.State().cesq = {"99", "0", "255", "0", "0", "255"};
    station->OnRssiCheck();
    for (int box : {ctl::kRssi2gBox, ctl::kRssi3gBox, ctl::kRssi4gBox})
        EXPECT_EQ(window.Text(box), "") << box;
    EXPECT_EQ(station->unit.rssiResult, "FAIL");
    EXPECT_EQ(station->FailureMask, failbit::kRssi);

    unit.State().cesq = {"99", "0", "255", "0", "0", "45"};
    station->OnRssiCheck();
    EXPECT_EQ(station->unit.rssiResult, "PASS");
}

TEST_F(Items, RfCheckWithEverySubCheckOffSucceedsWithEmptyBoxes)
{
    Restart("[Station]\nRFCALDATACHECK=YES\n");
    window.SetText(ctl::kGsmBox, "FAIL");
    station->OnRfCheck();
    for (int box : {ctl::kGsmBox, ctl::kTdBox, ctl::kLteBox, ctl::kWcdmaBox})
        EXPECT_EQ(window.Text(box), "") << box;
    EXPECT_EQ(window.Text(ctl::kResultBox), "check RF cal successfully");
}

TEST_F(Items, RfCheckAsksTheSecondWcdmaFileOnlyWhenTheFirstIsThere)
{
    Restart("[Station]\nWCDMARFCALDATACHECK=YES\n");
    unit.State().calFilePresent[3] = false;  // aplp_rf_analysis.nvm
    station->OnRfCheck();
    EXPECT_EQ(unit.Unit().Requests(), (std::vector<std::string> {"*MRD_CDF=q,aplp_rf_analysis.nvm"}));
    EXPECT_EQ(window.Text(ctl::kWcdmaBox), "FAIL");
    unit.State().calFilePresent[3] = true;
    station->OnRfCheck();
    EXPECT_EQ(window.Text(ctl::kWcdmaBox), "PASS");
}

TEST_F(Items, PowerResetRestoreThatSucceedLeaveLampAndStatusAlone)
{
    station->ShowStatus(kind::kMainSuccess, "Read IMEI successfully!");
    window.events.clear();
    station->OnPowerOff();
    station->OnReset();
    station->OnRestore();
    EXPECT_TRUE(StatusEvents(window).empty());
    EXPECT_EQ(unit.State().events,
              (std::vector {sim::UnitEvent::PowerOff, sim::UnitEvent::Reset, sim::UnitEvent::Restore}));
}

struct ModeRow {
    char digit;
    const char* shown;
    const char* confirmation;
};

class UsbModeRead : public Items, public testing::WithParamInterface<ModeRow> {};

TEST_P(UsbModeRead, ReportsSuccessButConfirmsOnlyLinux)
{
    unit.State().usbModeDigit = GetParam().digit;
    station->OnReadUsbMode();
    EXPECT_EQ(window.Text(ctl::kUsbModeBox), GetParam().shown);
    EXPECT_EQ(window.Text(ctl::kResultBox), "read mode successfully");
    EXPECT_EQ(station->unit.usbModeConfirmation, GetParam().confirmation);
    EXPECT_EQ(station->FailureMask, GetParam().digit == '4' ? 0 : failbit::kConfirmUsbMode);
}

INSTANTIATE_TEST_SUITE_P(Digits, UsbModeRead,
                         testing::Values(ModeRow {'0', "DEFAULT USB", "FAIL"}, ModeRow {'2', "USERMODE USB", "FAIL"},
                                         ModeRow {'4', "LINUX USB", "PASS"}, ModeRow {'5', "WINDOWS USB", "FAIL"},
                                         ModeRow {'7', "", "FAIL"}));

TEST_F(Items, LinuxUsbModeRepeatsItsReportInItsBox)
{
    station->OnLinuxUsbMode();
    EXPECT_EQ(window.Text(ctl::kLinuxUsbModeBox), "Enter Linux USB  mode successfully!");
    EXPECT_EQ(station->unit.linuxUsbModeResult, "PASS");
    EXPECT_EQ(station->unit.usbModeConfirmation, "PASS");
}

TEST_F(Items, UserModeReadsTheModeEvenWhenTheConnectionFailed)
{
    link.serial.FailOpen(true);
    station->OnUserMode();
    EXPECT_EQ(link.serial.opens, 22);
    EXPECT_EQ(window.boxes.size(), 2u);
}

TEST_F(Items, KeyTestThatStartsStaysGoingWithThePollRunning)
{
    station->OnKeyTest();
    EXPECT_EQ(window.PictureOf(kMain), Picture::Going);
    EXPECT_EQ(window.timers, (std::map<int, int> {{ctl::kKeyPollTimer, 1000}}));
    EXPECT_NE(AtPort, 0);
}

TEST_F(Items, ExitTestStopsThePollOnlyWhenTheUnitLeftTheKeyTest)
{
    unit.State().keyReportDelayMs = 1000000;
    station->OnKeyTest();
    link.serial.FailWrite(true);
    station->OnExitKeyTest();
    EXPECT_EQ(window.timers.count(ctl::kKeyPollTimer), 1u);
    EXPECT_EQ(station->KeyJudged, 1);

    station->KeyJudged = 0;
    link.serial.FailWrite(false);
    station->OnExitKeyTest();
    EXPECT_TRUE(window.timers.empty());
    EXPECT_EQ(window.Text(ctl::kKeyBox), "FAIL");
    EXPECT_EQ(station->KeyJudged, 1);
}

TEST_F(Items, LedFailThenPassKeepsTheBit)
{
    station->OnLedFail();
    station->OnLedPass();
    EXPECT_EQ(window.Text(ctl::kLedBox), "PASS");
    EXPECT_EQ(window.Text(ctl::kResultBox), "Test LED successfully");
    EXPECT_EQ(station->FailureMask, failbit::kLed);
    EXPECT_EQ(station->LedJudged, 1);
}

TEST_F(Items, JudgementsAndMaintenanceIgnoreARunningOperation)
{
    station->OperationBusy = 1;
    station->OnCommand(ctl::kOledFail);
    station->OnCommand(ctl::kEnterMaintenance);
    EXPECT_EQ(window.Text(ctl::kOledBox), "FAIL");
    EXPECT_EQ(station->FailureMask, failbit::kOled);
    EXPECT_EQ(station->MaintenanceMode, 1);
    EXPECT_FALSE(window.IsVisible(ctl::kEnterMaintenance));
    EXPECT_TRUE(window.IsVisible(ctl::kExitMaintenance));
    EXPECT_TRUE(window.IsVisible(ctl::kMaintenanceNotice));
    station->OnCommand(ctl::kExitMaintenance);
    EXPECT_EQ(station->MaintenanceMode, 0);
    EXPECT_TRUE(window.IsVisible(ctl::kEnterMaintenance));
    EXPECT_FALSE(window.IsVisible(ctl::kMaintenanceNotice));
}

TEST_F(Items, CheckDateDoesNothing)
{
    const int repaints = window.repaints;
    station->OnCommand(ctl::kCheckDate);
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(window.repaints, repaints);
}

}  // namespace
