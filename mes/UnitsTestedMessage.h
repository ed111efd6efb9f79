#pragma once

#include <string>

#include "records/UnitJournal.h"

// One stored unit as an IPC-CFX message: the envelope
// (MessageName, Version, TimeStamp, UniqueID, Source, Target, RequestID,
// MessageBody) around a CFX.Production.TestAndInspection.UnitsTested body,
// made from the same entry the unit journal writes.
//
// Every id in it (UniqueID, TransactionId, each test's and measurement's
// UniqueIdentifier) is a name-based UUID of the unit: the sender's handle,
// its slot, the SN and the record's time. The same entry always gives the
// same message, byte for byte, so one rebuilt after a crash is a repeat an
// MES drops by its UniqueID.
//
// Each value's shape is decided by its item, never by how the value looks:
// the signal values are NumericMeasurement with MeasuredValue {Value,
// MinimumAcceptableValue (the threshold)}; identities, versions and states
// are TextMeasurement with Value and ExpectedValue texts exactly as read.
// A signal value that is not a plain decimal number (not read, blanked)
// goes as text too.
//
// The Tester is the operator signed in when the unit was stored (a Human
// named by the badge), else the station itself as a Robot.

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

// Throws std::runtime_error only when no SHA-1 can be computed (the crypto
// library out of memory).
CfxMessage UnitsTestedMessage(const UnitJournalEntry& entry, const CfxSender& sender);
