// Switching the unit's USB mode and reading it back.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "station/ButtonTable.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"

namespace {

// USB modes the unit can be switched to.
constexpr int kFactoryUsbMode = 0;
constexpr int kUserUsbMode = 2;
constexpr int kLinuxUsbMode = 4;
constexpr int kWindowsUsbMode = 5;

constexpr char kLinuxUsbModeDigit = '0' + kLinuxUsbMode;

// The USB-mode box's text for a digit read back; "" for an unknown digit.
const char* UsbModeName(char digit)
{
    switch (digit) {
    case '0' + kFactoryUsbMode: return "DEFAULT USB";
    case '0' + kLinuxUsbMode: return "LINUX USB";
    case '0' + kWindowsUsbMode: return "WINDOWS USB";
    case '0' + kUserUsbMode: return "USERMODE USB";
    default: return "";
    }
}

}  // namespace

int CRuriZudaDlg::LinuxUsbModeItem()
{
    unit.linuxUsbModeResult.clear();
    const int result = AtWriteUsbMode(kLinuxUsbMode);
    unit.linuxUsbModeResult = result ? kPass : kFail;
    return result;
}

void CRuriZudaDlg::RunUsbModeWrite(int control, const std::function<int()>& write, int reportBox)
{
    const OperationSpec& spec = buttons::Find(control)->spec;
    // A refused start is not followed by the read: it would be refused too.
    const bool refused = OperationBusy != 0;
    bool wrote = false;
    const int result = RunOperation(spec, [&] {
        wrote = true;
        return write();
    });
    if (wrote && reportBox != 0)
        ShowValue(reportBox, result ? spec.successMessage : spec.failureMessage, std::string::npos);
    if (!refused)
        OnReadUsbMode();
}

void CRuriZudaDlg::OnUserMode()
{
    RunUsbModeWrite(ctl::kUserMode, [] { return AtWriteUsbMode(kUserUsbMode); });
}

void CRuriZudaDlg::OnFactoryMode()
{
    RunUsbModeWrite(ctl::kFactoryMode, [] { return AtWriteUsbMode(kFactoryUsbMode); });
}

void CRuriZudaDlg::OnWindowsUsbMode()
{
    RunUsbModeWrite(ctl::kWindowsUsbMode, [] { return AtWriteUsbMode(kWindowsUsbMode); });
}

void CRuriZudaDlg::OnLinuxUsbMode()
{
    // Its report is repeated in the LINUX USBMODE box.
    RunUsbModeWrite(ctl::kLinuxUsbMode, [this] { return LinuxUsbModeItem(); }, ctl::kLinuxUsbModeBox);
}

int CRuriZudaDlg::UsbModeItem()
{
    char mode[2] = {};
    if (!AtReadUsbMode(mode))
        return 0;
    unit.usbMode = std::string(1, mode[0]);
    ShowValue(ctl::kUsbModeBox, UsbModeName(mode[0]), std::string::npos);
    unit.usbModeConfirmation = mode[0] == kLinuxUsbModeDigit ? kPass : kFail;
    if (mode[0] != kLinuxUsbModeDigit)
        FailureMask |= failbit::kConfirmUsbMode;
    return 1;
}
