// Unit values and the failure display.
#include "station/CRuriZudaDlg.h"

#include "station/ControlIds.h"
#include "station/FailureMask.h"

void CRuriZudaDlg::ClearUnitValues()
{
    unit = UnitRecord {};
    scanned = ScannedValues {};
    checks = CheckOutcomes {};
    unitValidation_.clear();
}

void CRuriZudaDlg::HideFailureItems()
{
    for (const auto& label : kFailureLabels)
        window_.SetVisible(label.label, false);
    window_.SetVisible(ctl::kFailRelDateCheck, false);
}

void CRuriZudaDlg::ShowFailureItems()
{
    for (const auto& label : kFailureLabels)
        window_.SetVisible(label.label, (FailureMask & label.bit) != 0);
    window_.SetVisible(ctl::kFailRelDateCheck, false);
}

void CRuriZudaDlg::ShowValue(int box, const std::string& text, size_t length)
{
    window_.SetText(box, text.substr(0, length));
    window_.RepaintNow();
}
