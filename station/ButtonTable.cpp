// Every button of the window in one table: which indicator each reports on,
// its texts, its failure bit and what it runs.
#include "station/ButtonTable.h"

#include "atcmd/Atcmd.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"

namespace buttons {
namespace {

using D = CRuriZudaDlg;

// In the order of the window, top to bottom.
const Row kButtons[] = {
    {.control = ctl::kOneKeyTest, .operation = &D::OnOneKeyTest},
    {.control = ctl::kRefreshCom, .operation = &D::OnRefreshCom},
    {.control = ctl::kEnterMaintenance, .operation = &D::OnEnterMaintenance},
    {.control = ctl::kExitMaintenance, .operation = &D::OnExitMaintenance},
    {.control = ctl::kReadVer,
     .spec = {.successMessage = "Read version successfully!",
              .failureMessage = "Failed to read version!",
              .failureBit = failbit::kReadVer},
     .item = &D::VersionItem},
    {.control = ctl::kCheckDate, .operation = &D::OnCheckDate},
    {.control = ctl::kReadMac,
     .spec = {.successMessage = "Read MAC successfully!",
              .failureMessage = "Failed to read MAC!",
              .failureBit = failbit::kReadMac},
     .item = &D::MacItem},
    {.control = ctl::kReadImei,
     .spec = {.successMessage = "Read IMEI successfully!",
              .failureMessage = "Failed to read IMEI!",
              .failureBit = failbit::kReadImei},
     .item = &D::ImeiItem},
    {.control = ctl::kReadSn,
     .spec = {.successMessage = "Read SN successfully!",
              .failureMessage = "Failed to read SN!",
              .failureBit = failbit::kReadSn},
     .item = &D::SnItem},
    {.control = ctl::kReadPcbaSn,
     .spec = {.successMessage = "Read PCBA SN successfully!",
              .failureMessage = "Failed to read PCBA SN!",
              .failureBit = failbit::kReadPcbaSn},
     .item = &D::PcbaSnItem},
    {.control = ctl::kReadSsid,
     .spec = {.successMessage = "Read SSID successfully!",
              .failureMessage = "Failed to read SSID!",
              .failureBit = failbit::kReadSsid},
     .item = &D::SsidItem},
    {.control = ctl::kReadSim,
     .spec = {.kinds = kSimKinds,
              .successMessage = "Read SIM status successfully!",
              .failureMessage = "Failed to read SIM status!",
              .failureBit = failbit::kReadSim},
     .item = &D::SimItem},
    {.control = ctl::kReadSd,
     .spec = {.kinds = kSdKinds,
              .successMessage = "Read SD status successfully!",
              .failureMessage = "Failed to read SD status!",
              .failureBit = failbit::kReadSd},
     .item = &D::SdItem},
    {.control = ctl::kWifiStatus,
     .spec = {.kinds = kWifiKinds,
              .successMessage = "Switch on WIFI successfully",
              .failureMessage = "Failed to switch on WIFI",
              .failureBit = failbit::kWifi},
     .item = &D::WifiItem},
    {.control = ctl::kCharging,
     .spec = {.successMessage = "Read charger status successfully!",
              .failureMessage = "Failed to read charger status!",
              .failureBit = failbit::kCharger},
     .item = &D::ChargerItem},
    {.control = ctl::kOledLightOn,
     .spec = {.successMessage = "Start to Light On OLED!",
              .failureMessage = "Failed to Light On OLED!",
              .startReport = false},
     .command = AtLcdOn},
    {.control = ctl::kOledLightOff,
     .spec = {.successMessage = "Start to Light Off OLED!",
              .failureMessage = "Failed to Light Off OLED!",
              .startReport = false},
     .command = AtLcdOff},
    {.control = ctl::kOledPass, .operation = &D::OnOledPass},
    {.control = ctl::kOledFail, .operation = &D::OnOledFail},
    {.control = ctl::kLedLightOn,
     .spec = {.successMessage = "Start to light on LED",
              .failureMessage = "Failded to light on LED!",
              .startReport = false},
     .command = AtLedAllOn},
    {.control = ctl::kLedPass, .operation = &D::OnLedPass},
    {.control = ctl::kLedFail, .operation = &D::OnLedFail},
    // Both keep the port open: the key poll listens on it.
    {.control = ctl::kKeyTest,
     .spec = {// The lamp stays on GOING while the operator presses the key.
              .kinds = {kind::kMainGoing, kind::kMainGoing, kind::kMainFail},
              .successMessage = "Enter Key Test!",
              .failureMessage = "Failed to enter Key Test Mode!",
              .failureBit = failbit::kKey,
              .disconnect = false},
     .item = &D::StartKeyTest},
    // EXIT TEST always ends as a failure and reports it itself: which text
    // depends on whether the unit left the test.
    {.control = ctl::kExitTest,
     .spec = {.failureBit = failbit::kKey, .disconnect = false},
     .item = &D::AbandonKeyTest},
    {.control = ctl::kRfCheck,
     .spec = {.successMessage = "check RF cal successfully",
              .failureMessage = "Failed to check RF cal!",
              .failureBit = failbit::kRfCal},
     .item = &D::RfCalItems},
    // The RSSI item sets its bit itself: a read that fails at the device sets none.
    {.control = ctl::kRssiCheck,
     .spec = {.successMessage = "Read and check RSSI successfully", .failureMessage = "Fail to read and check RSSI"},
     .item = &D::RssiItem},
    // The USB-mode writes leave the port open for the read that follows them.
    {.control = ctl::kLinuxUsbMode,
     .spec = {.successMessage = "Enter Linux USB  mode successfully!",
              .failureMessage = "Failed to enter Linux USB mode!",
              .failureBit = failbit::kWriteUsbMode,
              .disconnect = false},
     .operation = &D::OnLinuxUsbMode},
    // READ PN reports a state it read as a success and confirms the lock apart.
    {.control = ctl::kReadPn,
     .spec = {.successMessage = "Read LOCK PN successfully!",
              .failureMessage = "Failed to read LOCK PN!",
              .failureBit = failbit::kConfirmLock},
     .item = &D::ConfirmPnLock},
    {.control = ctl::kUnlock,
     .spec = {.successMessage = "Write UNLOCK PN successfully!",
              .failureMessage = "Failed to write UNLOCK PN!",
              .failureBit = failbit::kUnlock},
     .item = &D::UnlockPn},
    {.control = ctl::kLock,
     .spec = {.successMessage = "Write LOCK PN successfully!",
              .failureMessage = "Failed to write LOCK PN!",
              .failureBit = failbit::kLock},
     .item = &D::LockPn},
    // The identity writes set no failure bit.
    {.control = ctl::kWriteImei,
     .spec = {.successMessage = "Write IMEI successfully", .failureMessage = "Failed to write IMEI!"},
     .item = &D::WriteImeiStep},
    {.control = ctl::kWriteMac,
     .spec = {.successMessage = "Write MAC successfully", .failureMessage = "Failed to write MAC!"},
     .item = &D::WriteMacStep},
    {.control = ctl::kWriteSn,
     .spec = {.successMessage = "Write SN successfully", .failureMessage = "Failed to write SN!"},
     .item = &D::WriteSnStep},
    // The combined writes report their first failing step themselves.
    {.control = ctl::kWriteMacImei,
     .spec = {.successMessage = "Read SN and write MAC and write IMEI successfully!"},
     .item = &D::WriteMacImeiSteps},
    {.control = ctl::kWriteSnMacImei,
     .spec = {.successMessage = "Write SN and MAC and IMEI successfully!"},
     .item = &D::WriteSnMacImeiSteps},
    {.control = ctl::kTestFinish,
     .spec = {.successMessage = kStoredStatusText,
              .failureMessage = "Failed to write database!",
              .connect = false},
     .item = &D::FinishTest},
    {.control = ctl::kRetest, .operation = &D::OnRetest},
    {.control = ctl::kUserMode,
     .spec = {.successMessage = "Enter Usermode successfully!",
              .failureMessage = "Failed to enter Usermode!",
              .disconnect = false},
     .operation = &D::OnUserMode},
    {.control = ctl::kFactoryMode,
     .spec = {.successMessage = "Enter Factory mode successfully!",
              .failureMessage = "Failed to enter Factory mode!",
              .disconnect = false},
     .operation = &D::OnFactoryMode},
    // The unit goes away on success, so only a failure is reported.
    {.control = ctl::kPowerOff,
     .spec = {.failureMessage = "Failed to Power Off!", .startReport = false},
     .command = AtPowerOff},
    {.control = ctl::kReset, .spec = {.failureMessage = "Failed to Reset!", .startReport = false}, .command = AtReset},
    {.control = ctl::kRestore,
     .spec = {.failureMessage = "Failed to Restore!", .startReport = false},
     .command = AtRestore},
    {.control = ctl::kWindowsUsbMode,
     .spec = {.successMessage = "Enter windows USB mode successfully!",
              .failureMessage = "Failed to enter windows USB mode!",
              .disconnect = false},
     .operation = &D::OnWindowsUsbMode},
    {.control = ctl::kReadUsbMode,
     .spec = {.successMessage = "read mode successfully",
              .failureMessage = "Failed to read mode",
              .failureBit = failbit::kConfirmUsbMode,
              .disconnect = false},
     .item = &D::UsbModeItem},
};

}  // namespace

const Row* Find(int control)
{
    for (const Row& row : kButtons) {
        if (row.control == control)
            return &row;
    }
    return nullptr;
}

}  // namespace buttons

void CRuriZudaDlg::RunButton(int control)
{
    const buttons::Row* row = buttons::Find(control);
    if (!row)
        return;
    if (row->item) {
        RunOperation(row->spec, [this, row] { return (this->*row->item)(); });
    } else if (row->command) {
        RunOperation(row->spec, row->command);
    } else {
        (this->*row->operation)();
    }
}

// The buttons' operations that other code runs directly (the one-key test).
void CRuriZudaDlg::OnReadVersion() { RunButton(ctl::kReadVer); }
void CRuriZudaDlg::OnReadMac() { RunButton(ctl::kReadMac); }
void CRuriZudaDlg::OnReadImei() { RunButton(ctl::kReadImei); }
void CRuriZudaDlg::OnReadSn() { RunButton(ctl::kReadSn); }
void CRuriZudaDlg::OnReadPcbaSn() { RunButton(ctl::kReadPcbaSn); }
void CRuriZudaDlg::OnReadSsid() { RunButton(ctl::kReadSsid); }
void CRuriZudaDlg::OnReadSim() { RunButton(ctl::kReadSim); }
void CRuriZudaDlg::OnReadSd() { RunButton(ctl::kReadSd); }
void CRuriZudaDlg::OnWifiStatus() { RunButton(ctl::kWifiStatus); }
void CRuriZudaDlg::OnCharging() { RunButton(ctl::kCharging); }
void CRuriZudaDlg::OnOledLightOn() { RunButton(ctl::kOledLightOn); }
void CRuriZudaDlg::OnOledLightOff() { RunButton(ctl::kOledLightOff); }
void CRuriZudaDlg::OnLedLightOn() { RunButton(ctl::kLedLightOn); }
void CRuriZudaDlg::OnKeyTest() { RunButton(ctl::kKeyTest); }
void CRuriZudaDlg::OnExitKeyTest() { RunButton(ctl::kExitTest); }
void CRuriZudaDlg::OnRfCheck() { RunButton(ctl::kRfCheck); }
void CRuriZudaDlg::OnRssiCheck() { RunButton(ctl::kRssiCheck); }
void CRuriZudaDlg::OnReadPn() { RunButton(ctl::kReadPn); }
void CRuriZudaDlg::OnUnlockPn() { RunButton(ctl::kUnlock); }
void CRuriZudaDlg::OnLockPn() { RunButton(ctl::kLock); }
void CRuriZudaDlg::OnWriteImei() { RunButton(ctl::kWriteImei); }
void CRuriZudaDlg::OnWriteMac() { RunButton(ctl::kWriteMac); }
void CRuriZudaDlg::OnWriteSn() { RunButton(ctl::kWriteSn); }
void CRuriZudaDlg::OnWriteMacImei() { RunButton(ctl::kWriteMacImei); }
void CRuriZudaDlg::OnWriteSnMacImei() { RunButton(ctl::kWriteSnMacImei); }
void CRuriZudaDlg::OnTestFinish() { RunButton(ctl::kTestFinish); }
void CRuriZudaDlg::OnPowerOff() { RunButton(ctl::kPowerOff); }
void CRuriZudaDlg::OnReset() { RunButton(ctl::kReset); }
void CRuriZudaDlg::OnRestore() { RunButton(ctl::kRestore); }
void CRuriZudaDlg::OnReadUsbMode() { RunButton(ctl::kReadUsbMode); }
