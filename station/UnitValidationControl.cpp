// The MES's go-ahead before a unit is tested ([MES] VALIDATE=1): ONEKEY
// TEST, pressed or reached by the Enter walk, asks the MES about the scanned
// SN and the test starts only once it passed. The request runs on the
// validator's thread; the window's timer reads its outcome, so the window
// stays in use meanwhile and the port and the scans stay as they are.
#include "station/CRuriZudaDlg.h"

#include "config/ProfileValues.h"
#include "link/Trace.h"
#include "mes/MesHandOff.h"
#include "mes/UnitValidator.h"
#include "mes/ValidateUnitsMessage.h"
#include "records/UnitJournal.h"
#include "station/ControlIds.h"
#include "station/StatusKinds.h"

namespace {

constexpr const char* kWaitingForMes = "Waiting for the MES";
constexpr const char* kNoMesAnswer = "The MES did not answer";
constexpr const char* kRefusedByMes = "Refused by the MES";
constexpr const char* kNoSnToValidate = "Scan the unit's SN: the MES validates the unit by it";

std::string RefusalText(const UnitValidationOutcome& outcome)
{
    return "The MES refused the unit: " + (outcome.message.empty() ? std::string("no reason given") : outcome.message) +
           " (failure code " + std::to_string(outcome.failureCode) + ")";
}

}  // namespace

void CRuriZudaDlg::StartUnitValidation()
{
    validator_.reset();
    const MesSettings mes {profile.mes.url, profile.mes.address, profile.mes.handle, profile.mes.credentials,
                           IsNumericSwitchOn(profile.mes.plaintextPassword)};
    validation_ = ResolveUnitValidation(
        mes, {profile.mes.validate, profile.mes.validator, profile.mes.validateTimeout, profile.mes.onNoAnswer},
        MesPositionOf(options_.slot));
    if (!validation_.on)
        return;
    if (!validation_.requester.endpoint)
        TraceOut(("ERROR: the MES cannot validate units: " + validation_.requester.unusable + "\n").c_str());
    validator_ = std::make_unique<UnitValidator>(validation_.requester);
}

void CRuriZudaDlg::OnOneKeyTest()
{
    // Nobody signed in: neither the MES is asked nor the unit tested.
    if (!OperatorMayTest())
        return;
    if (!validator_) {
        BeginValidatedOneKeyTest();
        return;
    }
    // One request at a time: the status already says the MES is asked.
    if (validator_->Waiting())
        return;
    UpdateData();
    if (bound.scanSn.empty()) {
        Warn(kNoSnToValidate);
        return;
    }
    unitValidation_.clear();
    validatingSn_ = bound.scanSn;
    const CfxSender sender {profile.mes.handle, MesPositionOf(options_.slot)};
    validator_->Request(ValidateUnitsRequestMessage(validatingSn_, sender,
                                                    NewValidationRequestId(sender, validatingSn_),
                                                    JournalClock::now()));
    ShowStatus(kind::kOneKeyGoing, kWaitingForMes);
    window_.StartTimer(ctl::kUnitValidationTimer, ctl::kUnitValidationPollMs);
}

void CRuriZudaDlg::OnUnitValidationTimer()
{
    const auto outcome = validator_ ? validator_->TakeOutcome() : std::nullopt;
    if (!outcome) {
        if (!validator_ || !validator_->Waiting())
            window_.StopTimer(ctl::kUnitValidationTimer);  // abandoned: nothing will come
        return;
    }
    window_.StopTimer(ctl::kUnitValidationTimer);
    UnitValidated(*outcome);
}

void CRuriZudaDlg::UnitValidated(const UnitValidationOutcome& outcome)
{
    using Kind = UnitValidationOutcome::Kind;
    // The wait's status goes: the test shows its own.
    if (outcome.kind == Kind::Passed) {
        unitValidation_ = kValidationPassed;
        ShowStatus(kind::kOneKeyBlank, "");
        BeginValidatedOneKeyTest();
        return;
    }
    if (outcome.kind == Kind::NoAnswer) {
        TraceOut(("ERROR: no validation of " + validatingSn_ + " from the MES: " + outcome.message + "\n").c_str());
        if (validation_.onNoAnswer == OnNoAnswer::Allow) {
            unitValidation_ = kNotValidated;
            ShowStatus(kind::kOneKeyBlank, "");
            BeginValidatedOneKeyTest();
            return;
        }
        ShowStatus(kind::kOneKeyFail, outcome.message);
        CfxStationBlocked(outcome.message);
        // The unit was not processed: RETEST may bring the next one.
        TestFinished = 1;
        window_.MessageBox(kNoMesAnswer, kApplicationName, BoxIcon::Stop);
        return;
    }
    const std::string refusal = RefusalText(outcome);
    TraceOut((validatingSn_ + ": " + refusal + "\n").c_str());
    ShowStatus(kind::kOneKeyFail, kRefusedByMes);
    RecordRefusedUnit(validatingSn_, refusal);
    CfxStationBlocked(refusal);
    // The refused unit is done with here: RETEST may bring the next one.
    TestFinished = 1;
    window_.MessageBox(refusal, kApplicationName, BoxIcon::Stop);
}

void CRuriZudaDlg::RecordRefusedUnit(const std::string& sn, const std::string& refusal)
{
    // The unit was never read: its scans stand for it, with no items.
    UnitJournalEntry entry = JournalEntry(false, MaintenanceMode != 0);
    entry.sn = sn;
    entry.mac = bound.scanMac;
    entry.imei = bound.scanImei;
    entry.pcbaSn = bound.scanPcbaSn;
    entry.testStart.reset();
    entry.testEnd.reset();
    entry.items.clear();
    entry.verdict = kFail;
    entry.refusal = refusal;
    entry.validation = kValidationRefused;
    std::string error;
    if (!AppendUnitJournal(StationFilesDir(), entry, &error))
        TraceOut(("ERROR: the unit journal was not written: " + error + "\n").c_str());
}

void CRuriZudaDlg::AbandonUnitValidation()
{
    if (!validator_)
        return;
    validator_->Abandon();
    window_.StopTimer(ctl::kUnitValidationTimer);
}
