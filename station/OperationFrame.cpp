// The guarded operation frame, the connection to the unit and status reporting.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "station/ControlIds.h"

namespace {

struct StatusTarget {
    int indicator;
    Picture picture;
    int box;
};

// What each status kind shows; kinds outside the table are handled apart.
bool LookUpKind(unsigned kind, StatusTarget& target)
{
    static constexpr int kIndicators[] = {ctl::kMainLamp, ctl::kSimLamp, ctl::kSdLamp, ctl::kWifiLamp,
                                          ctl::kOneKeyLamp};
    static constexpr Picture kTriple[] = {Picture::Going, Picture::Success, Picture::Fail};
    auto boxOf = [](int indicator) { return indicator == ctl::kOneKeyLamp ? ctl::kOneKeyResultBox : ctl::kResultBox; };
    if (kind <= kind::kOneKeyFail) {
        const int indicator = kIndicators[kind / 3];
        target = {indicator, kTriple[kind % 3], boxOf(indicator)};
        return true;
    }
    if (kind >= kind::kMainBlank && kind <= kind::kOneKeyBlank) {
        const int indicator = kIndicators[kind - kind::kMainBlank];
        target = {indicator, Picture::Blank, boxOf(indicator)};
        return true;
    }
    if (kind == kind::kUnitPresent || kind == kind::kNoUnit) {
        target = {ctl::kPresenceLamp, kind == kind::kUnitPresent ? Picture::GreenDisc : Picture::RedDisc, 0};
        return true;
    }
    return false;
}

// The device path of a port-list entry: a kernel name such as ttyACM0 lives
// in /dev; an absolute path (a bench adapter, the simulator) stands as it is.
std::string DevicePath(const std::string& port)
{
    if (!port.empty() && port.front() == '/')
        return port;
    return "/dev/" + port;
}

}  // namespace

void CRuriZudaDlg::ShowStatus(unsigned kind, std::string message)
{
    StatusTarget target {};
    if (!LookUpKind(kind, target)) {
        window_.SetText(ctl::kResultBox, kUnknownStatusText);
        window_.RepaintNow();
        return;
    }
    window_.SetPicture(target.indicator, target.picture);
    if (target.box != 0)
        window_.SetText(target.box, message);
    window_.RepaintNow();
}

void CRuriZudaDlg::Warn(const std::string& text)
{
    window_.MessageBox(text, kWarningCaption, BoxIcon::Warning);
}

void CRuriZudaDlg::UpdateData()
{
    bound.writeImei = window_.Text(ctl::kWriteImeiEdit);
    bound.writeMac = window_.Text(ctl::kWriteMacEdit);
    bound.writeSn = window_.Text(ctl::kWriteSnEdit);
    bound.scanImei = window_.Text(ctl::kScanImei);
    bound.scanMac = window_.Text(ctl::kScanMac);
    bound.scanSn = window_.Text(ctl::kScanSn);
    bound.scanPcbaSn = window_.Text(ctl::kScanPcbaSn);
}

int CRuriZudaDlg::ConnectTarget()
{
    UpdateData();
    if (window_.PortCount() == 0) {
        Warn(kNoComMessage);
        return 0;
    }
    const std::string path = DevicePath(window_.CurrentPort());
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        if (AtOpen(path.c_str()))
            return 1;
    }
    window_.MessageBox(kConnectFailedBox, kWarningCaption, BoxIcon::Stop);
    return 0;
}

int CRuriZudaDlg::OpenListedPort()
{
    if (window_.PortCount() == 0)
        return 0;
    return AtOpen(DevicePath(window_.CurrentPort()).c_str());
}

int CRuriZudaDlg::DisconnectTarget()
{
    return AtClose();
}

int CRuriZudaDlg::RunOperation(const OperationSpec& spec, const std::function<int()>& work)
{
    if (OperationBusy) {
        Warn(kBusyMessage);
        LastOperationResult = 0;
        return 0;
    }
    OperationBusy = 1;
    UpdateData();
    int result = 0;
    if (spec.connect && !ConnectTarget()) {
        ShowStatus(spec.kinds.fail, kConnectFailedStatus);
    } else {
        if (spec.startReport)
            ShowStatus(spec.kinds.going, kStartMessage);
        result = work();
        if (result) {
            if (spec.successMessage)
                ShowStatus(spec.kinds.success, spec.successMessage);
        } else {
            if (spec.failureMessage)
                ShowStatus(spec.kinds.fail, spec.failureMessage);
            FailureMask |= spec.failureBit;
        }
    }
    OperationBusy = 0;
    if (spec.connect && spec.disconnect)
        DisconnectTarget();
    LastOperationResult = result;
    return result;
}
