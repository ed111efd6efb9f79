// Unit values, the failure display and the single-item operations.
#include "station/CRuriZudaDlg.h"

#include <cstring>

#include "atcmd/Atcmd.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"

namespace {

// Longest IMEI text the IMEI box shows.
constexpr size_t kImeiShown = 16;

const OperationSpec kReadImeiOperation {
    .kinds = kMainKinds,
    .successMessage = "Read IMEI successfully!",
    .failureMessage = "Failed to read IMEI!",
    .failureBit = failbit::kReadImei,
};

// The text a command left in its zero-filled buffer.
template <size_t N>
std::string TextOf(const char (&buffer)[N])
{
    return std::string(buffer, strnlen(buffer, N));
}

}  // namespace

void CRuriZudaDlg::ClearUnitValues()
{
    unit = UnitRecord {};
    scanned = ScannedValues {};
    checks = CheckOutcomes {};
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

int CRuriZudaDlg::ImeiItem()
{
    unit.imei.clear();
    char imei[kImeiMax + 1] = {};
    if (!AtReadImei(imei))
        return 0;
    unit.imei = TextOf(imei);
    ShowValue(ctl::kImeiBox, unit.imei, kImeiShown);
    return 1;
}

void CRuriZudaDlg::OnReadImei()
{
    RunOperation(kReadImeiOperation, [this] { return ImeiItem(); });
}
