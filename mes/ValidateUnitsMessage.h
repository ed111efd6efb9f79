#pragma once

#include <optional>
#include <string>

#include "mes/UnitsTestedMessage.h"
#include "records/UnitJournal.h"

// The MES's go-ahead for a unit before it is tested: the station's
// CFX.InformationSystem.UnitValidation.ValidateUnitsRequest (route and
// status validation of one unit: its SN, at the station's position) in the
// envelope UnitsTested uses, and the MES's ValidateUnitsResponse read back.

inline constexpr const char* kValidateUnitsRequestName = "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest";
inline constexpr const char* kValidateUnitsResponseName = "CFX.InformationSystem.UnitValidation.ValidateUnitsResponse";

// A new id for one request of `sn`: the envelope's UniqueID and RequestID,
// and the AMQP message-id and correlation-id. No two requests share one,
// also of the same SN in the same millisecond.
std::string NewValidationRequestId(const CfxSender& sender, const std::string& sn);

// The request for `sn`, sent at `sent`, with `requestId` as its ids.
CfxMessage ValidateUnitsRequestMessage(const std::string& sn, const CfxSender& sender, const std::string& requestId,
                                       JournalClock::time_point sent);

// What the MES answered about the unit.
struct UnitValidationAnswer {
    bool passed = false;
    int failureCode = 0;  // of the first failed result; 0 when passed
    std::string message;  // the MES's words for a refusal
};

// The answer in a ValidateUnitsResponse envelope. Passed only when the
// request succeeded and the primary result and every unit's result passed;
// a request the MES could not carry out is a refusal with its ResultCode
// and Message. Nothing, with `error` set, when the text is not such an
// envelope.
std::optional<UnitValidationAnswer> ParseValidateUnitsResponse(const std::string& text, std::string* error);
