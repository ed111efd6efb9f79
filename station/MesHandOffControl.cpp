// The MES hand-off as the station drives it: started with the station when
// the profile has [MES], fed the journal entry of each committed unit, its
// state shown as the window's status note. The station never waits for the
// broker: a store only adds the message to the outbox.
#include "station/CRuriZudaDlg.h"

#include "config/ProfileValues.h"
#include "config/SlotMap.h"
#include "link/Trace.h"
#include "mes/MesHandOff.h"
#include "records/UnitJournal.h"
#include "station/ControlIds.h"

namespace {

constexpr const char* kNotHandedOff = "The unit is stored, but the MES hand-off is not working: ";
constexpr const char* kStartFailedNote = "MES: off (";

}  // namespace

void CRuriZudaDlg::StartMesHandOff()
{
    mes_.reset();
    mesStartError_.clear();
    mesFailureShown_ = false;
    // A station without [MES] never touches the network.
    if (profile.mes.url.empty())
        return;
    const MesSettings settings {profile.mes.url, profile.mes.address, profile.mes.handle, profile.mes.credentials,
                                IsNumericSwitchOn(profile.mes.plaintextPassword)};
    // Each slot sends from an outbox of its own, so one sender keeps its order.
    const std::filesystem::path folder = StationFilesDir() / SlotFolder(options_.slot);
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    mes_ = MesHandOff::Start(settings, folder, options_.slot, &mesStartError_);
    if (!mes_)
        TraceOut(("ERROR: " + mesStartError_ + "\n").c_str());
    window_.StartTimer(ctl::kMesStatusTimer, ctl::kTimerPeriodMs);
    ShowMesStatus();
}

void CRuriZudaDlg::HandOffToMes(const UnitJournalEntry& entry)
{
    if (profile.mes.url.empty())
        return;
    std::string failure = mesStartError_;
    if (mes_ && mes_->Publish(entry, &failure).empty()) {
        // Not queued: this message alone is missing, so it is always shown.
        TraceOut(("ERROR: " + failure + "\n").c_str());
        window_.MessageBox(kNotHandedOff + failure, kApplicationName, BoxIcon::Warning);
        return;
    }
    if (mes_)
        failure = mes_->LastFailure();
    if (!failure.empty() && !mesFailureShown_) {
        mesFailureShown_ = true;
        window_.MessageBox(kNotHandedOff + failure, kApplicationName, BoxIcon::Warning);
    }
    ShowMesStatus();
}

void CRuriZudaDlg::ShowMesStatus()
{
    if (!mes_) {
        window_.SetStatusNote(kStartFailedNote + mesStartError_ + ")");
        return;
    }
    window_.SetStatusNote(MesStatusText(mes_->Waiting(), mes_->LastFailure()));
}
