// The buttons of the single-item operations and what each one runs.
#include "station/CRuriZudaDlg.h"

#include "station/ControlIds.h"

void CRuriZudaDlg::RegisterItemCommands()
{
    const std::pair<int, void (CRuriZudaDlg::*)()> buttons[] = {
        {ctl::kReadVer, &CRuriZudaDlg::OnReadVersion},
        {ctl::kReadMac, &CRuriZudaDlg::OnReadMac},
        {ctl::kReadImei, &CRuriZudaDlg::OnReadImei},
        {ctl::kReadSn, &CRuriZudaDlg::OnReadSn},
        {ctl::kReadSsid, &CRuriZudaDlg::OnReadSsid},
        {ctl::kReadSim, &CRuriZudaDlg::OnReadSim},
        {ctl::kReadSd, &CRuriZudaDlg::OnReadSd},
        {ctl::kReadPcbaSn, &CRuriZudaDlg::OnReadPcbaSn},
        {ctl::kWifiStatus, &CRuriZudaDlg::OnWifiStatus},
        {ctl::kCharging, &CRuriZudaDlg::OnCharging},
        {ctl::kRssiCheck, &CRuriZudaDlg::OnRssiCheck},
        {ctl::kRfCheck, &CRuriZudaDlg::OnRfCheck},
        {ctl::kPowerOff, &CRuriZudaDlg::OnPowerOff},
        {ctl::kReset, &CRuriZudaDlg::OnReset},
        {ctl::kRestore, &CRuriZudaDlg::OnRestore},
        {ctl::kOledLightOn, &CRuriZudaDlg::OnOledLightOn},
        {ctl::kOledLightOff, &CRuriZudaDlg::OnOledLightOff},
        {ctl::kLedLightOn, &CRuriZudaDlg::OnLedLightOn},
        {ctl::kUserMode, &CRuriZudaDlg::OnUserMode},
        {ctl::kFactoryMode, &CRuriZudaDlg::OnFactoryMode},
        {ctl::kWindowsUsbMode, &CRuriZudaDlg::OnWindowsUsbMode},
        {ctl::kLinuxUsbMode, &CRuriZudaDlg::OnLinuxUsbMode},
        {ctl::kReadUsbMode, &CRuriZudaDlg::OnReadUsbMode},
        {ctl::kKeyTest, &CRuriZudaDlg::OnKeyTest},
        {ctl::kExitTest, &CRuriZudaDlg::OnExitKeyTest},
        {ctl::kOledPass, &CRuriZudaDlg::OnOledPass},
        {ctl::kOledFail, &CRuriZudaDlg::OnOledFail},
        {ctl::kLedPass, &CRuriZudaDlg::OnLedPass},
        {ctl::kLedFail, &CRuriZudaDlg::OnLedFail},
        {ctl::kEnterMaintenance, &CRuriZudaDlg::OnEnterMaintenance},
        {ctl::kExitMaintenance, &CRuriZudaDlg::OnExitMaintenance},
        {ctl::kCheckDate, &CRuriZudaDlg::OnCheckDate},
    };
    for (const auto& [control, operation] : buttons)
        commands_[control] = [this, operation] { (this->*operation)(); };
}
