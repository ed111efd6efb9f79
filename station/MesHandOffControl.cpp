// The MES hand-off as the station drives it: started with the station when
// the profile has [MES], given each committed unit once its journal line is
// on the disk, its state shown as the window's status note. The station
// never waits for the broker nor for the outbox: it pushes the unit to the
// sender's thread and reads its counters.
#include "station/CRuriZudaDlg.h"

#include <utility>

#include "config/ProfileValues.h"
#include "config/SlotMap.h"
#include "link/Trace.h"
#include "mes/MesHandOff.h"
#include "records/UnitJournal.h"
#include "station/ControlIds.h"

namespace {

constexpr const char* kNotHandedOff = "The unit is stored, but the MES hand-off is not working: ";
// Until the sender has read the journal into the outbox.
constexpr const char* kStartingNote = "MES: starting";

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
    // Settings that cannot be used still queue every unit.
    mes_ = MesHandOff::Start(settings, folder, StationFilesDir(), options_.slot, &mesStartError_, {}, {},
                             UnitCommittedCheck());
    if (!mesStartError_.empty())
        TraceOut(("ERROR: " + mesStartError_ + "\n").c_str());
    window_.StartTimer(ctl::kMesStatusTimer, ctl::kTimerPeriodMs);
    ShowMesStatus();
}

void CRuriZudaDlg::HandOffToMes(const UnitJournalEntry& entry, const JournalPosition* position)
{
    if (!mes_)
        return;
    if (position) {
        mes_->Publish(entry, *position);
    } else {
        // No journal line: the outbox is the unit's only record besides its row.
        std::string error;
        if (!mes_->PublishWithoutJournal(entry, &error)) {
            TraceOut(("ERROR: " + error + "\n").c_str());
            mesUnqueued_ = error;
        }
    }
    ShowMesStatus();
}

void CRuriZudaDlg::TellMesFailure()
{
    if (!mes_)
        return;
    // A unit the outbox did not take is always told: its message alone is missing.
    if (!mesUnqueued_.empty()) {
        window_.MessageBox(kNotHandedOff + std::exchange(mesUnqueued_, ""), kApplicationName, BoxIcon::Warning);
        return;
    }
    const std::string failure = mes_->LastFailure();
    if (!failure.empty() && !mesFailureShown_) {
        mesFailureShown_ = true;
        window_.MessageBox(kNotHandedOff + failure, kApplicationName, BoxIcon::Warning);
    }
}

void CRuriZudaDlg::ShowMesStatus()
{
    if (!mes_)
        return;
    const std::string failure = mes_->LastFailure();
    if (!mes_->Started() && failure.empty()) {
        window_.SetStatusNote(kStartingNote);
        return;
    }
    window_.SetStatusNote(MesStatusText(mes_->Waiting(), failure, mes_->DeadLetters()));
}
