// The keyboard flow of a barcode scanner: the scan-focus rule of the first
// event, and Enter walking through the scan fields to ONEKEY TEST.
#include "station/CRuriZudaDlg.h"

#include <algorithm>
#include <iterator>

#include "station/ControlIds.h"

namespace {

// Tab order of the scan fields and the button that follows them.
constexpr int kTabOrder[] = {ctl::kScanMac, ctl::kScanImei, ctl::kScanSn, ctl::kScanPcbaSn, ctl::kOneKeyTest};

}  // namespace

void CRuriZudaDlg::OnFirstMessage()
{
    if (FirstMessage)
        return;
    FirstMessage = 1;
    if (IsOn(profile.readFromDb.readMacFromDbImei))
        window_.SetFocus(ctl::kScanImei);
    if (SignInRequired() && SignedInOperator().empty())
        window_.SetFocus(ctl::kOperatorBadge);
}

bool CRuriZudaDlg::OnEnterKey(int focusedControl)
{
    const auto& s = profile.station;
    const auto& db = profile.readFromDb;
    const bool imei = IsOn(s.checkScanImei);
    const bool sn = IsOn(s.checkScanSn);
    const bool pcbaSn = IsOn(s.checkScanPcbaSn);

    // Whether a field still to be scanned follows; Enter then works as Tab.
    bool more = false;
    switch (focusedControl) {
    case ctl::kScanMac:
        more = imei || sn || pcbaSn;
        break;
    case ctl::kScanImei:
        if (IsOn(db.readMacFromDbImei))
            LookupMacByImei();
        if (IsOn(db.readSnFromDbImei)) {
            LookupSnByImei();
            if (pcbaSn)
                window_.SetFocus(ctl::kScanPcbaSn);
            else
                PressOneKeyTest();
            return true;
        }
        more = sn || pcbaSn;
        break;
    case ctl::kScanSn:
        more = pcbaSn;
        break;
    case ctl::kScanPcbaSn:
        break;
    case ctl::kOperatorBadge:
        OnOperatorBadge();
        return true;
    default:
        return false;
    }
    if (more)
        EnterAsTab(focusedControl);
    else
        PressOneKeyTest();
    return true;
}

// The focus moves to the next enabled control in tab order.
void CRuriZudaDlg::EnterAsTab(int focusedControl)
{
    const int* at = std::find(std::begin(kTabOrder), std::end(kTabOrder), focusedControl);
    const int* next = std::find_if(at + 1, std::end(kTabOrder), [this](int id) { return window_.IsEnabled(id); });
    if (next != std::end(kTabOrder))
        window_.SetFocus(*next);
}

// ONEKEY TEST takes the focus and is pressed.
void CRuriZudaDlg::PressOneKeyTest()
{
    window_.SetFocus(ctl::kOneKeyTest);
    OnCommand(ctl::kOneKeyTest);
}
