// The one-key test: the items switched on in [Onekey], one after the other,
// the wait for the operator's judgements, the verdict and what follows a pass.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "link/AtPort.h"
#include "link/Clock.h"
#include "station/ControlIds.h"
#include "station/OneKeyItems.h"

// The command that follows a pass, and how it reports.
struct PostTestCommand {
    int (*send)();
    const char* sent;
    const char* failed;
};

namespace {

constexpr int kBetweenItemsMs = 100;
constexpr int kMsPerSecond = 1000;

constexpr const char* kOneKeyPassed = "Onekey Test successfully!";
constexpr const char* kOneKeyFailed = "Failed in Onekey Test!";
constexpr const char* kReleaseDateMismatch = "The Release date does not match!";
constexpr const char* kWaitBeforeReset = "Waitting before reset!";

const PostTestCommand kRestoreAfterTest {AtRestore, "begin to restore!", "Failed to Restore!"};
const PostTestCommand kRebootAfterTest {AtReset, "begin to reboot!", "Failed to Reset!"};

const OneKeyItem* FindItem(const std::string& name)
{
    for (const OneKeyItem& item : onekey::kItems) {
        if (name == item.name)
            return &item;
    }
    return nullptr;
}

}  // namespace

void CRuriZudaDlg::OnOneKeyTest()
{
    if (!OperatorMayTest())
        return;
    // A wait or key poll left from an earlier run must not tick into this one.
    StopRunTimers();
    FailureMask = 0;
    HideFailureItems();
    LedJudged = 1;
    KeyJudged = 1;
    LastOneKeyRun = OneKeyRun {};
    LastOneKeyRun.started = std::chrono::system_clock::now();
    LastOneKeyRun.startedMs = CurrentClock().NowMs();
    CfxWorkStarted();

    if (!ConnectTarget()) {
        StopOneKeyTest(kConnectFailedStatus);
        return;
    }
    for (const OneKeyItem& item : onekey::kItems) {
        if (IsOn(profile.onekey.*item.on) && !RunOneKeyItem(item))
            return;
    }
    window_.StartTimer(ctl::kOneKeyWaitTimer, ctl::kTimerPeriodMs);
    OperationBusy = 0;
}

bool CRuriZudaDlg::RunOneKeyItem(const OneKeyItem& item)
{
    Clock& clock = CurrentClock();
    const int64_t began = clock.NowMs();
    if (item.awaits)
        this->*item.awaits = 0;
    int result = 1;
    if (item.operation) {
        LastOperationResult = 1;  // an item without a guarded operation counts as passed
        (this->*item.operation)();
        result = LastOperationResult;
    } else {
        result = CheckReleaseDate();
    }
    LastOneKeyRun.items.push_back({item.name, result, clock.NowMs() - began, began - LastOneKeyRun.startedMs});

    switch (item.stop) {
    case OneKeyStop::ReleaseDate:
        if (!result)
            StopOneKeyTest(kReleaseDateMismatch);
        return result != 0;  // no pause either way
    case OneKeyStop::IfCheckFailedBeforePause:
        if (checks.*item.outcome == 0) {
            FinishOneKeyTest();
            return false;
        }
        break;
    case OneKeyStop::IfCheckFailedAfterPause:
    case OneKeyStop::Never:
        break;
    }
    clock.Sleep(kBetweenItemsMs);
    if (item.stop == OneKeyStop::IfCheckFailedAfterPause && checks.*item.outcome == 0) {
        FinishOneKeyTest();
        return false;
    }
    return true;
}

void CRuriZudaDlg::StopOneKeyTest(const char* reason)
{
    ShowStatus(kind::kMainFail, reason);
    ShowStatus(kind::kOneKeyFail, kOneKeyFailed);
    EndOneKeyRun();
}

void CRuriZudaDlg::EndOneKeyRun()
{
    LastOneKeyRun.ended = std::chrono::system_clock::now();
    for (OneKeyItemRun& run : LastOneKeyRun.items) {
        const OneKeyItem* item = FindItem(run.name);
        if (item && (FailureMask & item->failureBit) != 0)
            run.result = 0;  // judged or failed later, as the LED and the key are
    }
}

void CRuriZudaDlg::StopRunTimers()
{
    window_.StopTimer(ctl::kOneKeyWaitTimer);
    window_.StopTimer(ctl::kKeyPollTimer);
}

void CRuriZudaDlg::OnOneKeyWaitTimer()
{
    if (LedJudged == 1 && KeyJudged == 1) {
        FinishOneKeyTest();
        window_.StopTimer(ctl::kOneKeyWaitTimer);
    }
}

void CRuriZudaDlg::FinishOneKeyTest()
{
    ShowFailureItems();
    if (FailureMask != 0) {
        ShowStatus(kind::kOneKeyFail, kOneKeyFailed);
        EndOneKeyRun();
        return;
    }
    ShowStatus(kind::kOneKeySuccess, kOneKeyPassed);
    EndOneKeyRun();
    // The restore wins when both are on.
    if (IsOn(profile.onekey.startRestore))
        RunPostTestCommand(kRestoreAfterTest);
    else if (IsOn(profile.onekey.startReset))
        RunPostTestCommand(kRebootAfterTest);
}

// The items close the port when they end, so the command connects first when
// no port is open; a command that fails is reported as a failure.
void CRuriZudaDlg::RunPostTestCommand(const PostTestCommand& command)
{
    if (profile.delaySeconds != 0) {
        ShowStatus(kind::kMainGoing, kWaitBeforeReset);
        CurrentClock().Sleep(profile.delaySeconds * kMsPerSecond);
    }
    if (AtPort == 0 && !ConnectTarget()) {
        ShowStatus(kind::kMainFail, kConnectFailedStatus);
        return;
    }
    if (command.send())
        ShowStatus(kind::kMainSuccess, command.sent);
    else
        ShowStatus(kind::kMainFail, command.failed);
}
