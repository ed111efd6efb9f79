// The key test: starting and abandoning it, and the poll that listens for the
// unit's key report once a second.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "link/AtPort.h"
#include "station/BufferText.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"

namespace {

constexpr size_t kWholeText = std::string::npos;

// Both keep the port open: the poll listens on it.
const OperationSpec kKeyTestOperation {
    // The lamp stays on GOING while the operator presses the key.
    .kinds = {kind::kMainGoing, kind::kMainGoing, kind::kMainFail},
    .successMessage = "Enter Key Test!",
    .failureMessage = "Failed to enter Key Test Mode!",
    .failureBit = failbit::kKey,
    .disconnect = false,
};
// EXIT TEST abandons the key test, so it always ends as a failure and
// reports it itself: which text depends on whether the unit left the test.
const OperationSpec kExitKeyTestOperation {
    .failureBit = failbit::kKey,
    .disconnect = false,
};

constexpr const char* kKeyTestAbandoned = "Failed to key test!";
constexpr const char* kKeyTestNotLeft = "Failed to exit Key Test Mode!";
constexpr const char* kKeyTestPassed = "key test successfully!";

}  // namespace

int CRuriZudaDlg::StartKeyTest()
{
    if (!AtKeyTestStart())
        return 0;
    unit.keyResult.clear();
    ShowValue(ctl::kKeyBox, unit.keyResult, kWholeText);
    window_.StartTimer(ctl::kKeyPollTimer, ctl::kTimerPeriodMs);
    return 1;
}

int CRuriZudaDlg::StopKeyTest()
{
    if (!AtKeyTestStop())
        return 0;  // the poll keeps running
    window_.StopTimer(ctl::kKeyPollTimer);
    unit.keyResult = kFail;
    ShowValue(ctl::kKeyBox, unit.keyResult, kWholeText);
    return 1;
}

void CRuriZudaDlg::OnKeyTest()
{
    RunOperation(kKeyTestOperation, [this] {
        const int started = StartKeyTest();
        if (!started)
            KeyJudged = 1;  // nothing more will come from the unit
        return started;
    });
}

void CRuriZudaDlg::OnExitKeyTest()
{
    RunOperation(kExitKeyTestOperation, [this] {
        const int stopped = StopKeyTest();
        ShowStatus(kind::kMainFail, stopped ? kKeyTestAbandoned : kKeyTestNotLeft);
        KeyJudged = 1;
        return 0;
    });
}

void CRuriZudaDlg::OnKeyPollTimer()
{
    // Any operation run while the key test waits closes the port when it
    // ends; listen again on the listed port instead of hearing nothing until
    // EXIT TEST. An operation still running owns the port.
    if (AtPort == 0 && OperationBusy == 0)
        OpenListedPort();

    char report[kStatusTextSize] = {};
    if (!AtPollKeyReport(report))
        return;  // nothing yet; the next tick listens again
    window_.StopTimer(ctl::kKeyPollTimer);
    unit.keyResult = TextOf(report);
    ShowValue(ctl::kKeyBox, unit.keyResult, kWholeText);
    if (unit.keyResult == kPass) {
        ShowStatus(kind::kMainSuccess, kKeyTestPassed);
    } else {
        ShowStatus(kind::kMainFail, kKeyTestAbandoned);
        FailureMask |= failbit::kKey;
    }
    KeyJudged = 1;
    window_.RepaintNow();
}
