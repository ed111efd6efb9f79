// The unit's network personalisation lock: READ PN, LOCK and UNLOCK.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "station/BufferText.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"
#include "station/ProgramRunner.h"
#include "station/UnlockCode.h"

namespace {

// Longest text the three network-lock boxes show.
constexpr size_t kLockTextShown = 20;

constexpr const char* kLockedState = "LOCK";
constexpr const char* kUnlockedState = "UNLOCK";
constexpr const char* kAlreadyLocked = "ALREADY LOCKED";
constexpr const char* kAlreadyUnlocked = "ALREADY UNLOCKED";

}  // namespace

// What LOCK or UNLOCK changes: the state it brings the unit to, the result
// when the unit is there already, and where the result goes.
struct PnLockChange {
    const char* reachedState;
    const char* already;
    std::string UnitRecord::*result;
    int box;
};

int CRuriZudaDlg::ReadPnLockState()
{
    unit.lockState.clear();
    char state[kStatusTextSize] = {};
    const int result = AtReadPnLock(state);
    unit.lockState = TextOf(state);  // a failed read keeps what the unit said before it failed
    if (!result)
        return 0;  // the box keeps its text
    ShowValue(ctl::kReadPnBox, unit.lockState, kLockTextShown);
    return 1;
}

int CRuriZudaDlg::ChangePnLock(const PnLockChange& change, const std::function<std::optional<int>(char*)>& send)
{
    std::string& resultText = unit.*change.result;
    resultText.clear();
    if (!ReadPnLockState())
        return 0;
    if (unit.lockState == change.reachedState) {
        resultText = change.already;
        ShowValue(change.box, resultText, kLockTextShown);
        return 0;
    }
    char result[kStatusTextSize] = {};
    const std::optional<int> sent = send(result);
    if (!sent)
        return 0;  // the box keeps its text
    resultText = TextOf(result);
    ShowValue(change.box, resultText, kLockTextShown);
    if (!*sent)
        return 0;
    return ReadPnLockState();
}

int CRuriZudaDlg::LockPn()
{
    return ChangePnLock({kLockedState, kAlreadyLocked, &UnitRecord::lockResult, ctl::kLockBox},
                        [](char* result) { return AtLockPn(result); });
}

std::optional<std::string> CRuriZudaDlg::UnlockCodeImei()
{
    if (!IsOn(profile.lockPn.lockCodeFromImeiEnable))
        return std::string();
    // The IMEI this unit reports now, never a value left from an earlier read.
    char imei[kImeiMax + 1] = {};
    const std::string read = AtReadImei(imei) ? TextOf(imei) : "";
    if (IsWholeImei(read))
        return read;
    Warn(kNoImeiMessage);
    return std::nullopt;
}

int CRuriZudaDlg::UnlockPn()
{
    return ChangePnLock({kUnlockedState, kAlreadyUnlocked, &UnitRecord::unlockResult, ctl::kUnlockBox},
                        [this](char* result) -> std::optional<int> {
                            const auto imei = UnlockCodeImei();
                            if (!imei)
                                return std::nullopt;
                            const UnlockCode code = ChooseUnlockCode(profile.lockPn, *imei,
                                                                     ProgramRunner(kLockCodeCommandLimit));
                            if (code.Refused()) {
                                Warn(code.refusal);
                                return std::nullopt;
                            }
                            return AtUnlockPn(code.code.c_str(), result);
                        });
}

int CRuriZudaDlg::ConfirmPnLock()
{
    const int read = ReadPnLockState();
    const bool locked = read && unit.lockState == kLockedState;
    unit.lockConfirmation = locked ? kPass : kFail;
    if (read && !locked)
        FailureMask |= failbit::kConfirmLock;
    return read;
}
