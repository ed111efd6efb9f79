// The operator's judgements of OLED and LED, maintenance mode, CHECK DATE.
// None of these talks to the unit, so none waits for a running operation.
#include "station/CRuriZudaDlg.h"

#include "station/ControlIds.h"
#include "station/FailureMask.h"

namespace {

constexpr size_t kWholeText = std::string::npos;

}  // namespace

void CRuriZudaDlg::OnOledPass()
{
    unit.oledResult = kPass;
    ShowValue(ctl::kOledBox, unit.oledResult, kWholeText);
    ShowStatus(kind::kMainSuccess, "Test OLED successfully!");
}

void CRuriZudaDlg::OnOledFail()
{
    unit.oledResult = kFail;
    ShowValue(ctl::kOledBox, unit.oledResult, kWholeText);
    ShowStatus(kind::kMainFail, "Failed to test OLED!");
    FailureMask |= failbit::kOled;
}

void CRuriZudaDlg::OnLedPass()
{
    unit.ledResult = kPass;
    ShowValue(ctl::kLedBox, unit.ledResult, kWholeText);
    ShowStatus(kind::kMainSuccess, "Test LED successfully");
    LedJudged = 1;
}

void CRuriZudaDlg::OnLedFail()
{
    unit.ledResult = kFail;
    ShowValue(ctl::kLedBox, unit.ledResult, kWholeText);
    ShowStatus(kind::kMainFail, "Failed to test LED!");
    LedJudged = 1;
    FailureMask |= failbit::kLed;
}

void CRuriZudaDlg::OnEnterMaintenance()
{
    MaintenanceMode = 1;
    window_.SetVisible(ctl::kEnterMaintenance, false);
    window_.SetVisible(ctl::kExitMaintenance, true);
    window_.SetVisible(ctl::kMaintenanceNotice, true);
}

void CRuriZudaDlg::OnExitMaintenance()
{
    MaintenanceMode = 0;
    window_.SetVisible(ctl::kExitMaintenance, false);
    window_.SetVisible(ctl::kEnterMaintenance, true);
    window_.SetVisible(ctl::kMaintenanceNotice, false);
}

void CRuriZudaDlg::OnCheckDate()
{
}
