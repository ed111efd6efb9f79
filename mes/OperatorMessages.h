#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "mes/MesOutbox.h"
#include "mes/UnitsTestedMessage.h"
#include "records/UnitJournal.h"

// The operator's sign-in and sign-out as IPC-CFX messages: the envelope of
// UnitsTested around a CFX.Production.OperatorActivated or
// OperatorDeactivated body, whose Operator is the person with the badge.
//
// Their UniqueID is a name-based UUID (StationMessageId) of the sender's
// handle and position, the change, the badge and its time, so the same
// change always gives the same message.

inline constexpr const char* kOperatorActivatedName = "CFX.Production.OperatorActivated";
inline constexpr const char* kOperatorDeactivatedName = "CFX.Production.OperatorDeactivated";

// The reference's Operator structure for a badge: OperatorIdentifier and
// LoginName the badge, ActorType "Human"; the names are not known to the
// station and go as null.
nlohmann::json CfxOperator(const std::string& badge);

// The operator with `badge` took charge of the station at `at`.
OutboxMessage OperatorActivatedMessage(const std::string& badge, JournalClock::time_point at, const CfxSender& sender);
// The operator with `badge` left the station at `at` (another badge, idle
// time, the station closed).
OutboxMessage OperatorDeactivatedMessage(const std::string& badge, JournalClock::time_point at,
                                         const CfxSender& sender);
