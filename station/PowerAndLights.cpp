// Power-off, reboot and factory restore of the unit; its OLED and LEDs.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"

namespace {

// The unit goes away on success, so only a failure is reported.
const OperationSpec kPowerOffOperation {
    .failureMessage = "Failed to Power Off!",
    .startReport = false,
};
const OperationSpec kResetOperation {
    .failureMessage = "Failed to Reset!",
    .startReport = false,
};
const OperationSpec kRestoreOperation {
    .failureMessage = "Failed to Restore!",
    .startReport = false,
};

const OperationSpec kOledLightOnOperation {
    .successMessage = "Start to Light On OLED!",
    .failureMessage = "Failed to Light On OLED!",
    .startReport = false,
};
const OperationSpec kOledLightOffOperation {
    .successMessage = "Start to Light Off OLED!",
    .failureMessage = "Failed to Light Off OLED!",
    .startReport = false,
};
const OperationSpec kLedLightOnOperation {
    .successMessage = "Start to light on LED",
    .failureMessage = "Failded to light on LED!",
    .startReport = false,
};

}  // namespace

void CRuriZudaDlg::OnPowerOff()
{
    RunOperation(kPowerOffOperation, [] { return AtPowerOff(); });
}

void CRuriZudaDlg::OnReset()
{
    RunOperation(kResetOperation, [] { return AtReset(); });
}

void CRuriZudaDlg::OnRestore()
{
    RunOperation(kRestoreOperation, [] { return AtRestore(); });
}

void CRuriZudaDlg::OnOledLightOn()
{
    RunOperation(kOledLightOnOperation, [] { return AtLcdOn(); });
}

void CRuriZudaDlg::OnOledLightOff()
{
    RunOperation(kOledLightOffOperation, [] { return AtLcdOff(); });
}

void CRuriZudaDlg::OnLedLightOn()
{
    RunOperation(kLedLightOnOperation, [] { return AtLedAllOn(); });
}
