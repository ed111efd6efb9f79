#pragma once

#include <chrono>
#include <string>

#include <nlohmann/json.hpp>

#include "mes/UniqueId.h"
#include "mes/UnitsTestedMessage.h"
#include "records/UnitJournal.h"

// The envelope every message of the station goes in (MessageName, Version,
// TimeStamp, UniqueID, Source, Target, RequestID, MessageBody), as the
// UnitsTested message has it.
CfxMessage CfxEnvelope(const std::string& name, const std::string& uniqueId, JournalClock::time_point time,
                       const std::string& source, nlohmann::json body, const std::string& requestId = "");

// A duration as the reference writes a TimeSpan: [d.]hh:mm:ss, with seven
// digits of fraction when it has one (00:01:25, 1.02:00:00.2500000).
std::string CfxTimeSpan(std::chrono::milliseconds duration);

// A name-based id of the station's own messages: the same parts give the
// same id in every process, so a message rebuilt after a crash is a repeat.
std::string StationMessageId(std::string_view role, const std::string& handle, int position,
                             JournalClock::time_point time, int number = 0);
