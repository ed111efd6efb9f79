// The station as a CFX endpoint, driven at the station's own moments: each
// unit's run (one-key start to TEST FINISH, or given up by RETEST, unplug
// or EXIT) framed by WorkStarted and WorkCompleted with one transaction,
// the state model's changes with how long each state lasted, and on a
// connection of its own the heartbeat and the answers to AreYouThereRequest.
// All but the heartbeat and the answers go through the hand-off's journal
// and outbox, in order with the units. Without [MES] nothing happens here.
#include "station/CRuriZudaDlg.h"

#include <charconv>

#include "link/Trace.h"
#include "mes/CfxEndpointLink.h"
#include "mes/EndpointMessages.h"
#include "mes/MesHandOff.h"
#include "mes/WorkMessages.h"

namespace {

constexpr std::chrono::seconds kDefaultHeartbeat {60};

// HEARTBEAT= as seconds: "" the default, a whole number of seconds (0: no
// heartbeat), anything else the default with a trace line.
std::chrono::seconds HeartbeatPeriod(const std::string& text)
{
    if (text.empty())
        return kDefaultHeartbeat;
    int seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (error != std::errc() || end != text.data() + text.size() || seconds < 0) {
        TraceOut(("ERROR: [MES] HEARTBEAT=" + text + " is no number of seconds; every " +
                  std::to_string(kDefaultHeartbeat.count()) + " s instead\n").c_str());
        return kDefaultHeartbeat;
    }
    return std::chrono::seconds(seconds);
}

}  // namespace

void CRuriZudaDlg::StartCfxEndpoint()
{
    if (!mes_)
        return;
    const CfxSender sender {profile.mes.handle, MesPositionOf(options_.slot)};
    const std::string requests = StationRequestAddress(profile.mes.handle);
    stationState_.emplace(StationState::Idle, StationStateTracker::Clock::now());
    mes_->PublishEvent(EndpointConnectedMessage(sender, {profile.mes.url, requests}, JournalClock::now()));
    // Settings that cannot be used give no connection; the hand-off tells why.
    std::string ignored;
    const auto endpoint = ResolveMesEndpoint({profile.mes.url, profile.mes.address, profile.mes.handle,
                                              profile.mes.credentials, IsNumericSwitchOn(profile.mes.plaintextPassword)},
                                             &ignored);
    if (!endpoint)
        return;
    CfxLinkSettings settings;
    settings.endpoint = *endpoint;
    settings.sender = sender;
    settings.requestAddress = requests;
    settings.heartbeat = HeartbeatPeriod(profile.mes.heartbeat);
    cfxLink_ = std::make_unique<CfxEndpointLink>(settings);
    cfxLink_->Start();
}

void CRuriZudaDlg::StopCfxEndpoint()
{
    CfxCompleteWork(true);
    CfxEnterState(StationState::Off);
    cfxLink_.reset();
}

void CRuriZudaDlg::CfxWorkStarted()
{
    if (!mes_)
        return;
    // A run started again without TEST FINISH gives the earlier one up.
    CfxCompleteWork(true);
    const CfxSender sender {profile.mes.handle, MesPositionOf(options_.slot)};
    workTransactionId_ = WorkTransactionId(sender, LastOneKeyRun.started);
    const std::string sn = scanned.sn.empty() ? unit.sn : scanned.sn;
    mes_->PublishEvent(WorkStartedMessage(workTransactionId_, sn, sender, JournalClock::now()));
    CfxEnterState(StationState::Processing);
}

void CRuriZudaDlg::CfxWorkFinished()
{
    if (workTransactionId_.empty())
        return;
    CfxCompleteWork(false);
    CfxEnterState(StationState::Idle);
}

void CRuriZudaDlg::CfxWorkAbandoned()
{
    CfxCompleteWork(true);
    // A unit given up leaves the station waiting for the next, unless its
    // port failed (down until a unit comes).
    if (stationState_ && stationState_->Current() != StationState::Down)
        CfxEnterState(StationState::Idle);
}

void CRuriZudaDlg::CfxPortLost()
{
    if (workTransactionId_.empty())
        return;
    CfxCompleteWork(true);
    CfxEnterState(StationState::Down);
}

void CRuriZudaDlg::CfxUnitArrived()
{
    if (stationState_ && stationState_->Current() == StationState::Down)
        CfxEnterState(StationState::Idle);
}

void CRuriZudaDlg::CfxStationBlocked(const std::string& reason)
{
    if (!mes_)
        return;
    TraceOut(("MES: the station is blocked: " + reason + "\n").c_str());
    CfxEnterState(StationState::Blocked);
}

void CRuriZudaDlg::CfxCompleteWork(bool abandoned)
{
    if (!mes_ || workTransactionId_.empty())
        return;
    const WorkResult result = abandoned ? WorkResult::Aborted
                              : UnitPassed() ? WorkResult::Completed
                                             : WorkResult::Failed;
    const CfxSender sender {profile.mes.handle, MesPositionOf(options_.slot)};
    mes_->PublishEvent(
        WorkCompletedMessage(std::exchange(workTransactionId_, ""), result, sender, JournalClock::now()));
}

void CRuriZudaDlg::CfxEnterState(StationState state)
{
    if (!mes_ || !stationState_)
        return;
    const auto change = stationState_->Enter(state, StationStateTracker::Clock::now());
    if (!change)
        return;
    const CfxSender sender {profile.mes.handle, MesPositionOf(options_.slot)};
    mes_->PublishEvent(StationStateChangedMessage(*change, sender, JournalClock::now(), ++stateChanges_));
}
