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

constexpr const char* kKeyTestAbandoned = "Failed to key test!";
constexpr const char* kKeyTestNotLeft = "Failed to exit Key Test Mode!";
constexpr const char* kKeyTestPassed = "key test successfully!";

}  // namespace

int CRuriZudaDlg::StartKeyTest()
{
    if (!AtKeyTestStart()) {
        KeyJudged = 1;  // nothing more will come from the unit
        return 0;
    }
    unit.keyResult.clear();
    ShowValue(ctl::kKeyBox, unit.keyResult, kWholeText);
    window_.StartTimer(ctl::kKeyPollTimer, ctl::kTimerPeriodMs);
    return 1;
}

int CRuriZudaDlg::AbandonKeyTest()
{
    const int stopped = AtKeyTestStop();
    if (stopped) {  // else the poll keeps running
        window_.StopTimer(ctl::kKeyPollTimer);
        unit.keyResult = kFail;
        ShowValue(ctl::kKeyBox, unit.keyResult, kWholeText);
    }
    ShowStatus(kind::kMainFail, stopped ? kKeyTestAbandoned : kKeyTestNotLeft);
    KeyJudged = 1;
    return 0;
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
