// The operator's sign-in ([Operator] SIGNIN=1): a badge scanned into the
// sign-in field signs its operator in (and whoever was signed in out), a
// one-key test starts only with somebody signed in, and IDLE_MINUTES
// without a stored unit, or EXIT, signs the operator out. Each sign-in and
// sign-out goes to the MES as OperatorActivated or OperatorDeactivated.
#include "station/CRuriZudaDlg.h"

#include <algorithm>

#include "config/ProfileValues.h"
#include "link/Clock.h"
#include "link/Trace.h"
#include "mes/MesHandOff.h"
#include "mes/OperatorMessages.h"
#include "station/ControlIds.h"

namespace {

constexpr int64_t kMsPerMinute = 60'000;

constexpr const char* kSignInFirst = "Sign in first: scan your badge into BADGE!";
constexpr const char* kOperatorPrefix = "OPERATOR: ";
constexpr const char* kNobodySignedIn = "OPERATOR: nobody signed in, scan your badge";
constexpr const char* kSignedOutIdle = "OPERATOR: signed out after %1 min without a stored unit, scan your badge";
constexpr const char* kBadgeRefused = "OPERATOR: a badge holds 1 to %1 printable characters, scan it again";

// The sign-in field and its labels, hidden unless sign-in is on.
constexpr int kSignInControls[] = {ctl::kOperatorBadgeLabel, ctl::kOperatorBadge, ctl::kOperatorName};

std::string WithNumber(std::string text, int64_t number)
{
    const auto at = text.find("%1");
    return at == std::string::npos ? text : text.replace(at, 2, std::to_string(number));
}

// Blanks and line ends a scanner may add around the badge.
std::string Trimmed(const std::string& text)
{
    constexpr const char* kBlanks = " \t\r\n";
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A badge the journal, the line database and the MES all keep whole: no
// control characters, and no longer than the line database's column.
bool IsBadge(const std::string& badge)
{
    const auto control = [](unsigned char c) { return c < 0x20 || c == 0x7f; };
    return !badge.empty() && badge.size() <= static_cast<size_t>(kOperatorColumnLength) &&
           std::none_of(badge.begin(), badge.end(), control);
}

}  // namespace

bool CRuriZudaDlg::SignInRequired() const
{
    return IsNumericSwitchOn(profile.operatorSignIn.signIn);
}

void CRuriZudaDlg::StartOperatorSignIn()
{
    for (int control : kSignInControls)
        window_.SetVisible(control, SignInRequired());
    if (!SignInRequired())
        return;
    signIn_.SetIdleLimitMs(ParseIdleMinutes(profile.operatorSignIn.idleMinutes) * kMsPerMinute);
    window_.SetText(ctl::kOperatorName, kNobodySignedIn);
    window_.SetFocus(ctl::kOperatorBadge);
}

bool CRuriZudaDlg::OperatorMayTest()
{
    if (!SignInRequired())
        return true;
    if (!signIn_.SignedIn()) {
        ShowStatus(kind::kMainFail, kSignInFirst);
        window_.SetFocus(ctl::kOperatorBadge);
        return false;
    }
    runOperator_ = signIn_.Badge();
    return true;
}

void CRuriZudaDlg::OnOperatorBadge()
{
    const std::string badge = Trimmed(window_.Text(ctl::kOperatorBadge));
    // The field is emptied for the next scan, which would otherwise be
    // appended to this one.
    window_.SetText(ctl::kOperatorBadge, "");
    if (!SignInRequired() || badge.empty())
        return;
    if (!IsBadge(badge)) {
        window_.SetText(ctl::kOperatorName, WithNumber(kBadgeRefused, kOperatorColumnLength));
        return;
    }
    // The same badge again only starts the idle time again.
    const std::string before = signIn_.SignIn(badge, CurrentClock().NowMs());
    if (before != badge) {
        const auto now = JournalClock::now();
        if (!before.empty())
            PublishOperatorEvent(OperatorDeactivatedMessage(before, now, OperatorEventSender()));
        PublishOperatorEvent(OperatorActivatedMessage(badge, now, OperatorEventSender()));
    }
    TraceOut(("operator signed in: " + badge + "\n").c_str());
    window_.SetText(ctl::kOperatorName, kOperatorPrefix + badge);
    window_.StartTimer(ctl::kOperatorIdleTimer, static_cast<int>(signIn_.IdleLimitMs()));
    FocusFirstScanField();
}

void CRuriZudaDlg::OperatorUnitStored()
{
    if (!signIn_.SignedIn())
        return;
    signIn_.UnitStored(CurrentClock().NowMs());
    window_.StartTimer(ctl::kOperatorIdleTimer, static_cast<int>(signIn_.IdleLimitMs()));
}

void CRuriZudaDlg::OnOperatorIdleTimer()
{
    const int64_t left = signIn_.IdleLeftMs(CurrentClock().NowMs());
    if (signIn_.SignedIn() && left > 0) {
        // A window timer may tick a little early: it waits for the rest.
        window_.StartTimer(ctl::kOperatorIdleTimer, static_cast<int>(left));
        return;
    }
    SignOperatorOut();
    window_.SetText(ctl::kOperatorName, WithNumber(kSignedOutIdle, signIn_.IdleLimitMs() / kMsPerMinute));
    window_.SetFocus(ctl::kOperatorBadge);
}

void CRuriZudaDlg::EndOperatorSignIn()
{
    SignOperatorOut();
}

void CRuriZudaDlg::SignOperatorOut()
{
    window_.StopTimer(ctl::kOperatorIdleTimer);
    const std::string badge = signIn_.SignOut();
    if (badge.empty())
        return;
    TraceOut(("operator signed out: " + badge + "\n").c_str());
    PublishOperatorEvent(OperatorDeactivatedMessage(badge, JournalClock::now(), OperatorEventSender()));
}

std::string CRuriZudaDlg::SignedInOperator() const
{
    return signIn_.Badge();
}

std::string CRuriZudaDlg::UnitOperator() const
{
    if (!SignInRequired())
        return "";
    // Signed out while the unit was under test: the badge that started it.
    return signIn_.SignedIn() ? signIn_.Badge() : runOperator_;
}

CfxSender CRuriZudaDlg::OperatorEventSender() const
{
    return {profile.mes.handle, MesPositionOf(options_.slot)};
}

void CRuriZudaDlg::PublishOperatorEvent(const OutboxMessage& message)
{
    if (mes_)
        mes_->PublishEvent(message);
}
