#pragma once

#include <string>

#include "mes/CfxEnvelope.h"
#include "mes/MesOutbox.h"
#include "mes/UnitsTestedMessage.h"

// The messages that frame one unit's run at the station: WorkStarted at
// its one-key start and WorkCompleted when it ends, both with the run's
// transaction, which its UnitsTested shares.

inline constexpr const char* kWorkStartedMessageName = "CFX.Production.WorkStarted";
inline constexpr const char* kWorkCompletedMessageName = "CFX.Production.WorkCompleted";

// How a run ended, as the reference's WorkResult names it.
enum class WorkResult {
    Completed,  // TEST FINISH of a unit that passed
    Failed,     // TEST FINISH of a unit that failed
    Aborted,    // the run was given up: RETEST, the unit unplugged, EXIT
};
const char* WorkResultName(WorkResult result);

// The transaction of a run started at `start`.
std::string WorkTransactionId(const CfxSender& sender, JournalClock::time_point start);

OutboxMessage WorkStartedMessage(const std::string& transactionId, const std::string& sn, const CfxSender& sender,
                                 JournalClock::time_point time);
OutboxMessage WorkCompletedMessage(const std::string& transactionId, WorkResult result, const CfxSender& sender,
                                   JournalClock::time_point time);
