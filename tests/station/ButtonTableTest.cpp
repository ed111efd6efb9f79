// Every single-item button against the simulated unit: what the operator sees,
// the failure bit and whether the port stays open, for a working unit, a unit
// that fails the item and a port that cannot be opened.
#include "station/FailureMask.h"
#include "tests/station/StationFixture.h"
#include "tests/station/StatusEvents.h"

namespace {

using Events = std::vector<std::string>;
using BreakUnit = void (*)(sim::UnitState&, ScriptedSerial&);

constexpr int kMain = ctl::kMainLamp;
const std::string kNoPort = "Fail to connect target,please try again.";

struct Outcome {
    Events seen;
    uint32_t mask;
    bool portOpen;
};

struct ButtonRow {
    const char* name;
    int button;
    Outcome success;
    BreakUnit breakUnit;
    Outcome deviceFailure;
    Events connectionFailure;
};

void Silent(sim::UnitState&, ScriptedSerial& port)
{
    port.SetResponder({});
}

void WritesFail(sim::UnitState&, ScriptedSerial& port)
{
    port.FailWrite(true);
}

// With an empty port list.
Events NoCom(int lamp)
{
    return Events {"box WARNING warning: NO COM!"} + Report(lamp, "fail", kNoPort);
}

Events Read(int lamp, const char* success)
{
    return Started(lamp) + Report(lamp, "success", success);
}

Events Failed(int lamp, const char* failure)
{
    return Started(lamp) + Report(lamp, "fail", failure);
}

// READ USBMODE as it follows the USB-mode writes.
const Events kModeRead = Read(kMain, "read mode successfully");
const Events kModeReadFailed = Failed(kMain, "Failed to read mode");

ButtonRow Reading(const char* name, int button, int lamp, const char* success, const char* failure, uint32_t bit,
                  BreakUnit breakUnit)
{
    return {name, button, {Read(lamp, success), 0, false}, breakUnit, {Failed(lamp, failure), bit, false},
            NoCom(lamp)};
}

// A write without start report whose success takes the unit away.
ButtonRow Leaving(const char* name, int button, const char* failure)
{
    return {name, button, {{}, 0, false}, WritesFail, {Report(kMain, "fail", failure), 0, false}, NoCom(kMain)};
}

ButtonRow Light(const char* name, int button, const char* success, const char* failure)
{
    return {name,   button, {Report(kMain, "success", success), 0, false}, Silent,
            {Report(kMain, "fail", failure), 0, false}, NoCom(kMain)};
}

// A USB-mode write: its report, then the read as an operation of its own.
ButtonRow ModeWrite(const char* name, int button, const char* success, const char* failure, uint32_t writeBit,
                    uint32_t successMask)
{
    return {name,
            button,
            {Read(kMain, success) + kModeRead, successMask, true},
            [](sim::UnitState& s, ScriptedSerial&) { s.withholdDAnswers = true; },
            {Failed(kMain, failure) + kModeRead, writeBit | failbit::kConfirmUsbMode, true},
            NoCom(kMain) + NoCom(kMain)};
}

const ButtonRow kButtons[] = {
    Reading("ReadVersion", ctl::kReadVer, kMain, "Read version successfully!", "Failed to read version!",
            failbit::kReadVer, Silent),
    Reading("ReadMac", ctl::kReadMac, kMain, "Read MAC successfully!", "Failed to read MAC!", failbit::kReadMac,
            Silent),
    Reading("ReadImei", ctl::kReadImei, kMain, "Read IMEI successfully!", "Failed to read IMEI!", failbit::kReadImei,
            Silent),
    Reading("ReadSn", ctl::kReadSn, kMain, "Read SN successfully!", "Failed to read SN!", failbit::kReadSn,
            [](sim::UnitState& s, ScriptedSerial&) { s.snError = true; }),
    Reading("ReadSsid", ctl::kReadSsid, kMain, "Read SSID successfully!", "Failed to read SSID!", failbit::kReadSsid,
            Silent),
    Reading("ReadSim", ctl::kReadSim, ctl::kSimLamp, "Read SIM status successfully!", "Failed to read SIM status!",
            failbit::kReadSim, [](sim::UnitState& s, ScriptedSerial&) { s.simPresent = false; }),
    Reading("ReadSd", ctl::kReadSd, ctl::kSdLamp, "Read SD status successfully!", "Failed to read SD status!",
            failbit::kReadSd, [](sim::UnitState& s, ScriptedSerial&) { s.sdStateDigit = '3'; }),
    Reading("ReadPcbaSn", ctl::kReadPcbaSn, kMain, "Read PCBA SN successfully!", "Failed to read PCBA SN!",
            failbit::kReadPcbaSn, [](sim::UnitState& s, ScriptedSerial&) { s.pcbaSnError = true; }),
    Reading("WifiStatus", ctl::kWifiStatus, ctl::kWifiLamp, "Switch on WIFI successfully", "Failed to switch on WIFI",
            failbit::kWifi, [](sim::UnitState& s, ScriptedSerial&) { s.wifiStateDigit = '0'; }),
    Reading("Charging", ctl::kCharging, kMain, "Read charger status successfully!", "Failed to read charger status!",
            failbit::kCharger, [](sim::UnitState& s, ScriptedSerial&) { s.chargerConnected = false; }),
    Reading("RssiCheck", ctl::kRssiCheck, kMain, "Read and check RSSI successfully", "Fail to read and check RSSI",
            failbit::kRssi,
            [](sim::UnitState& s, ScriptedSerial&) { s.cesq = {"99", "99", "255", "0", "0", "255"}; }),
    Reading("RfCheck", ctl::kRfCheck, kMain, "check RF cal successfully", "Failed to check RF cal!", failbit::kRfCal,
            [](sim::UnitState& s, ScriptedSerial&) { s.calFilePresent[4] = false; }),
    Leaving("PowerOff", ctl::kPowerOff, "Failed to Power Off!"),
    Leaving("Reset", ctl::kReset, "Failed to Reset!"),
    Leaving("Restore", ctl::kRestore, "Failed to Restore!"),
    Light("OledLightOn", ctl::kOledLightOn, "Start to Light On OLED!", "Failed to Light On OLED!"),
    Light("OledLightOff", ctl::kOledLightOff, "Start to Light Off OLED!", "Failed to Light Off OLED!"),
    Light("LedLightOn", ctl::kLedLightOn, "Start to light on LED", "Failded to light on LED!"),
    // The unit reports mode 0 until a write succeeds; only mode 4 confirms.
    ModeWrite("UserMode", ctl::kUserMode, "Enter Usermode successfully!", "Failed to enter Usermode!", 0,
              failbit::kConfirmUsbMode),
    ModeWrite("FactoryMode", ctl::kFactoryMode, "Enter Factory mode successfully!", "Failed to enter Factory mode!",
              0, failbit::kConfirmUsbMode),
    ModeWrite("WindowsUsbMode", ctl::kWindowsUsbMode, "Enter windows USB mode successfully!",
              "Failed to enter windows USB mode!", 0, failbit::kConfirmUsbMode),
    ModeWrite("LinuxUsbMode", ctl::kLinuxUsbMode, "Enter Linux USB  mode successfully!",
              "Failed to enter Linux USB mode!", failbit::kWriteUsbMode, 0),
    {"ReadUsbMode", ctl::kReadUsbMode, {kModeRead, failbit::kConfirmUsbMode, true}, Silent,
     {kModeReadFailed, failbit::kConfirmUsbMode, true}, NoCom(kMain)},
    {"KeyTest", ctl::kKeyTest, {Started(kMain) + Report(kMain, "going", "Enter Key Test!"), 0, true}, Silent,
     {Failed(kMain, "Failed to enter Key Test Mode!"), failbit::kKey, true}, NoCom(kMain)},
    {"ExitTest", ctl::kExitTest, {Failed(kMain, "Failed to key test!"), failbit::kKey, true}, Silent,
     {Failed(kMain, "Failed to exit Key Test Mode!"), failbit::kKey, true}, NoCom(kMain)},
};

void PrintTo(const ButtonRow& row, std::ostream* out)
{
    *out << row.name;
}

// Every calibration sub-check on, and a 2G threshold the unit's signal passes.
constexpr const char* kProfile = "[Station]\n"
                                 "GSMRFCALDATACHECK=YES\nTDRFCALDATACHECK=YES\n"
                                 "LTERFCALDATACHECK=YES\nWCDMARFCALDATACHECK=YES\n"
                                 "2GRSSI=30\n";

class Button : public StationFixture, public testing::WithParamInterface<ButtonRow> {
protected:
    void SetUp() override
    {
        WriteProfile(kProfile);
        Start();
    }

    void Press() { station->OnCommand(GetParam().button); }

    void ExpectOutcome(const Outcome& expected)
    {
        EXPECT_EQ(StatusEvents(window), expected.seen);
        EXPECT_EQ(station->FailureMask, expected.mask);
        EXPECT_EQ(AtPort != 0, expected.portOpen);
        EXPECT_EQ(station->OperationBusy, 0);
    }
};

TEST_P(Button, WorkingUnit)
{
    Press();
    ExpectOutcome(GetParam().success);
}

TEST_P(Button, UnitFailsTheItem)
{
    GetParam().breakUnit(unit.State(), link.serial);
    Press();
    ExpectOutcome(GetParam().deviceFailure);
}

TEST_P(Button, NoPortToConnect)
{
    window.ClearPorts();
    Press();
    EXPECT_EQ(StatusEvents(window), GetParam().connectionFailure);
    EXPECT_EQ(station->FailureMask, 0u);
    EXPECT_EQ(AtPort, 0);
    EXPECT_EQ(station->OperationBusy, 0);
}

TEST_P(Button, RefusedWhileAnotherOperationRuns)
{
    station->OperationBusy = 1;
    Press();
    EXPECT_EQ(StatusEvents(window), (Events {"box WARNING warning: The other operation is in process!"}));
    EXPECT_EQ(link.serial.opens, 0);
    EXPECT_EQ(station->OperationBusy, 1);
}

INSTANTIATE_TEST_SUITE_P(Table, Button, testing::ValuesIn(kButtons),
                         [](const testing::TestParamInfo<ButtonRow>& info) { return info.param.name; });

}  // namespace
