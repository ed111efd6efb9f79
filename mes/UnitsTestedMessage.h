#pragma once

#include <functional>
#include <string>

#include "records/UnitJournal.h"

// One stored unit as an IPC-CFX message: the envelope
// (MessageName, Version, TimeStamp, UniqueID, Source, Target, RequestID,
// MessageBody) around a CFX.Production.TestAndInspection.UnitsTested body,
// made from the same entry the unit journal writes.

inline constexpr const char* kUnitsTestedMessageName = "CFX.Production.TestAndInspection.UnitsTested";

// Who sends it.
struct CfxSender {
    std::string handle;       // the envelope's Source
    int positionNumber = 1;   // the unit's UnitPositionNumber: its slot, 1 without slots
};

struct CfxMessage {
    std::string uniqueId;  // the envelope's UniqueID: an MES drops a repeat by it
    std::string json;      // the whole envelope, UTF-8
};

// A fresh identifier for each UniqueID, TransactionId and UniqueIdentifier.
using NewUniqueId = std::function<std::string()>;

CfxMessage UnitsTestedMessage(const UnitJournalEntry& entry, const CfxSender& sender, const NewUniqueId& newId);
