// Start-up of the controller: initialisation order, the station profile and
// the dispatch of window events.
#include "station/CRuriZudaDlg.h"

#include "config/SlotMap.h"
#include "discovery/UdevDeviceSource.h"
#include "link/StationLog.h"
#include "records/LineText.h"
#include "mes/CfxEndpointLink.h"
#include "mes/MesHandOff.h"
#include "records/ResultStore.h"
#include "station/ControlIds.h"
#include "station/ProfileRules.h"

CRuriZudaDlg::CRuriZudaDlg(StationWindow& window, StationOptions options)
    : window_(window)
    , options_(std::move(options))
{
    if (!options_.devices) {
        systemDevices_ = std::make_unique<UdevDeviceSource>();
        options_.devices = systemDevices_.get();
    }
    if (!options_.probe) {
        systemProbe_ = std::make_unique<DevPortProbe>();
        options_.probe = systemProbe_.get();
    }
    if (!options_.results) {
        systemResults_ = MakeSqliteResultStore();
        options_.results = systemResults_.get();
    }
}

CRuriZudaDlg::~CRuriZudaDlg() = default;

void CRuriZudaDlg::OnCommand(int controlId)
{
    RunButton(controlId);
}

void CRuriZudaDlg::OnTimer(int timerId)
{
    if (timerId == ctl::kKeyPollTimer) {
        OnKeyPollTimer();
    } else if (timerId == ctl::kOneKeyWaitTimer) {
        OnOneKeyWaitTimer();
    } else if (timerId == ctl::kMesStatusTimer) {
        ShowMesStatus();
    } else if (timerId == ctl::kUnitValidationTimer) {
        OnUnitValidationTimer();
    } else if (timerId == ctl::kOperatorIdleTimer) {
        OnOperatorIdleTimer();
    }
}

void CRuriZudaDlg::OnInitDialog()
{
    TestFinished = 0;
    FirstMessage = 0;
    ClearUnitValues();
    MaintenanceMode = 0;
    OpenStationLog();
    DiscoveryStarted = 0;
    if (options_.fixedPort.empty())
        ScanForUnitPort();
    else
        ListFixedPort();
    LoadStationProfile();
    ApplyStationProfile();
    ShowIdentityWriteGroup();
    if (options_.fixedPort.empty())
        RegisterPortNotification();
    StartWireTrace();
    StartMesHandOff();
    StartCfxEndpoint();
    StartUnitValidation();
    StartOperatorSignIn();
}

void CRuriZudaDlg::OpenStationLog()
{
    if (!options_.slot) {
        LogOpen();  // ends the process with a reason when the log cannot be opened
        return;
    }
    // Each slot writes a log of its own; a folder that cannot be made shows
    // as the log that cannot be opened.
    std::error_code ignored;
    std::filesystem::create_directories(SlotFolder(options_.slot), ignored);
    LogOpen((SlotFolder(options_.slot) / kStationLogName).string());
}

void CRuriZudaDlg::OnDestroy()
{
    UnregisterPortNotification();
    StopWireTrace();
    StopCfxEndpoint();
    AbandonUnitValidation();
    EndOperatorSignIn();
    mes_.reset();
}

void CRuriZudaDlg::LoadStationProfile()
{
    profile = LoadStationProfileFile(StationProfilePath());
    // The line database keeps at most this many bytes of the name, and a
    // cut never splits a character.
    constexpr size_t kStationNameLimit = 40;
    profile.resultDb.station = CutAtCharacter(profile.resultDb.station, kStationNameLimit);
    const auto& s = profile.station;
    const auto& o = profile.onekey;
    const std::pair<int, const std::string*> shown[] = {
        {ctl::kRefGenerateDb, &s.useMdb},
        {ctl::kRefMacNo, &s.checkMacNo},
        {ctl::kRefSnNo, &s.checkSnNo},
        {ctl::kRefPcbaSnNo, &s.checkPcbaSnNo},
        {ctl::kRefImeiNo, &s.checkImeiNo},
        {ctl::kRefSsidNo, &s.checkSsidNo},
        {ctl::kRefVersionNo, &s.checkVer},
        {ctl::kRefRelDate, &s.checkRelDateTime},
        {ctl::kRef2g, &s.rssi2g},
        {ctl::kRef3g, &s.rssi3g},
        {ctl::kRef4g, &s.rssi4g},
        {ctl::kRefRestoreAfterTest, &o.startRestore},
        {ctl::kRefRebootAfterTest, &o.startReset},
        {ctl::kRefDelayAfterTest, &o.delayTimeBeforeResetOrRestore},
    };
    for (const auto& [control, text] : shown)
        window_.SetText(control, *text);
    for (const auto& rule : kLoaderDisableRules) {
        if (!IsOn(s.*rule.field)) {
            for (int control : rule.controls)
                window_.SetEnabled(control, false);
        }
    }
    HideFailureItems();
    window_.RepaintNow();
    ChooseResultStore();
}

void CRuriZudaDlg::ApplyStationProfile()
{
    for (const auto& rule : kStationDisableRules) {
        if (!IsOn(profile.station.*rule.field)) {
            for (int control : rule.controls)
                window_.SetEnabled(control, false);
        }
    }
    for (const auto& rule : kOnekeyLabelRules) {
        if (!IsOn(profile.onekey.*rule.field))
            window_.SetVisible(rule.label, false);
    }
    // The Linux USB mode is a one-key item; its button follows the same switch.
    if (!IsOn(profile.onekey.writeLinuxUsbMode))
        window_.SetEnabled(ctl::kLinuxUsbMode, false);
}
