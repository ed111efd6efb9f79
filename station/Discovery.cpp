// Device discovery: the unit's port in the port list, the presence lamp,
// arrival and removal of devices, and REFRESH COM.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "discovery/UnitPortSearch.h"
#include "station/ControlIds.h"

namespace {

constexpr const char* kRefreshComOk = "REFRESH COM OK!";
constexpr const char* kPromptCaption = "PROMPT";
constexpr const char* kNoComConnected = "NO COM CONNECTED!";

}  // namespace

void CRuriZudaDlg::ListFixedPort()
{
    window_.ClearPorts();
    window_.AddPort(options_.fixedPort);
    window_.SelectPort(0);
}

void CRuriZudaDlg::ListUnitPort(const std::string& name)
{
    window_.ClearPorts();
    window_.AddPort(name);
    window_.SelectPort(0);
    ShowStatus(kind::kUnitPresent, "");
    window_.RepaintNow();
    DevicePresent = 1;
}

std::optional<std::string> CRuriZudaDlg::SlotPortFilter() const
{
    if (!options_.slot)
        return std::nullopt;
    return options_.slotPortPath;
}

void CRuriZudaDlg::ListArrivedUnit(const std::string& name)
{
    if (!options_.slot) {
        ListUnitPort(name);
        return;
    }
    // A unit arriving at another slot's port finds this slot's unit listed
    // already: nothing changes here.
    if (DevicePresent && window_.PortCount() > 0 && window_.CurrentPort() == name)
        return;
    ListUnitPort(name);
    CallOperatorToSlot();
}

void CRuriZudaDlg::CallOperatorToSlot()
{
    window_.BringToFront();
    window_.SetFocus(ctl::kScanMac);
}

void CRuriZudaDlg::UnlistUnitPort()
{
    window_.ClearPorts();
    window_.SelectPort(0);
    ShowStatus(kind::kNoUnit, "");
    window_.RepaintNow();
}

void CRuriZudaDlg::ScanForUnitPort()
{
    const auto devices = options_.devices->PresentDevices();
    if (!devices)
        return;  // no device set: nothing changes, not even DiscoveryStarted
    using Outcome = UnitSearchResult::Outcome;
    const UnitSearchResult found = FindUnitPort(*devices, SlotPortFilter());

    if (!DiscoveryStarted) {
        switch (found.outcome) {
        case Outcome::NotFound:
            UnlistUnitPort();
            DevicePresent = 0;
            break;
        case Outcome::FoundNoPort: DevicePresent = 0; break;
        case Outcome::FoundWithPort: ListUnitPort(found.portName); break;
        }
        DiscoveryStarted = 1;
        return;
    }
    if (ArrivalEvent) {
        if (found.outcome == Outcome::FoundNoPort)
            DevicePresent = 0;
        else if (found.outcome == Outcome::FoundWithPort)
            ListArrivedUnit(found.portName);
        return;
    }
    if (found.outcome != Outcome::NotFound || !DevicePresent)
        return;
    UnlistUnitPort();
    CfxPortLost();
    OnRetest();
    window_.RepaintNow();
    DevicePresent = 0;
}

void CRuriZudaDlg::OnDeviceChange(PortEvent event)
{
    switch (event) {
    case PortEvent::Arrival: ArrivalEvent = 1; CfxUnitArrived(); break;
    case PortEvent::Removal: ArrivalEvent = 0; break;
    case PortEvent::Other: return;
    }
    // A port given on the command line stays; the search is not used then.
    if (!options_.fixedPort.empty())
        return;
    ScanForUnitPort();
}

void CRuriZudaDlg::OnDeviceNotification()
{
    if (monitor_)
        OnDeviceChange(monitor_->Receive());
}

void CRuriZudaDlg::RegisterPortNotification()
{
    monitor_ = PortMonitor::Open();  // without a monitor the station works on, unplugging unnoticed
    if (monitor_)
        window_.WatchDeviceNotifications(monitor_->Descriptor());
}

void CRuriZudaDlg::UnregisterPortNotification()
{
    if (!monitor_)
        return;
    window_.UnwatchDeviceNotifications();
    monitor_.reset();
}

void CRuriZudaDlg::OnRefreshCom()
{
    AtClose();
    window_.ClearPorts();
    for (const auto& port : options_.probe->OpenablePorts())
        window_.AddPort(port);
    if (window_.PortCount() > 0) {
        window_.SelectPort(0);
        window_.MessageBox(kRefreshComOk, kPromptCaption, BoxIcon::None);
    } else {
        window_.MessageBox(kNoComConnected, kWarningCaption, BoxIcon::Warning);
    }
}
