// RETEST: preparing the window for the next unit.
#include "station/CRuriZudaDlg.h"

#include "station/ControlIds.h"

namespace {

constexpr const char* kNeedTestFinish = "Need Test Finish before Restart";

// Every value field of the unit, the status texts, the scan fields and the
// network-lock and USB-mode fields.
constexpr int kClearedOnRetest[] = {
    ctl::kVersionBox, ctl::kRelDateBox, ctl::kMacBox, ctl::kImeiBox, ctl::kSnBox, ctl::kPcbaSnBox,
    ctl::kSsidBox, ctl::kSimBox, ctl::kSdBox, ctl::kOledBox, ctl::kLedBox, ctl::kKeyBox,
    ctl::kResultBox, ctl::kOneKeyResultBox, ctl::kGsmBox, ctl::kTdBox, ctl::kLteBox, ctl::kWcdmaBox,
    ctl::kWifiBox, ctl::kRssi2gBox, ctl::kRssi3gBox, ctl::kRssi4gBox, ctl::kChargingBox, ctl::kScanImei,
    ctl::kScanMac, ctl::kScanSn, ctl::kScanPcbaSn, ctl::kUsbModeBox, ctl::kLinuxUsbModeBox, ctl::kReadPnBox,
    ctl::kUnlockBox, ctl::kLockBox,
};

constexpr unsigned kBlankKinds[] = {kind::kMainBlank, kind::kSimBlank, kind::kSdBlank, kind::kWifiBlank,
                                    kind::kOneKeyBlank};

}  // namespace

void CRuriZudaDlg::OnRetest()
{
    if (IsOn(profile.station.useMdb)) {
        if (TestFinished == 0) {
            Warn(kNeedTestFinish);
            return;
        }
        TestFinished = 0;
    }
    CfxWorkAbandoned();
    StopRunTimers();
    AbandonUnitValidation();
    NextUnitWireTrace();
    ClearUnitValues();
    LastOneKeyRun = {};
    for (int control : kClearedOnRetest)
        window_.SetText(control, "");
    for (unsigned blank : kBlankKinds)
        ShowStatus(blank, " ");
    HideFailureItems();
    FocusFirstScanField();
    window_.RepaintNow();
}

void CRuriZudaDlg::FocusFirstScanField()
{
    const auto& s = profile.station;
    const auto& db = profile.readFromDb;
    if (IsOn(s.checkScanMac) && !IsOn(db.readMacFromDbImei))
        window_.SetFocus(ctl::kScanMac);
    else if (IsOn(s.checkScanImei))
        window_.SetFocus(ctl::kScanImei);
    else if (IsOn(s.checkScanSn) && !IsOn(db.readSnFromDbImei))
        window_.SetFocus(ctl::kScanSn);
    else if (IsOn(s.checkScanPcbaSn))
        window_.SetFocus(ctl::kScanPcbaSn);
}
