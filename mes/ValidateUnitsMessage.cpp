#include "mes/ValidateUnitsMessage.h"

#include <atomic>
#include <chrono>

#include <unistd.h>

#include <nlohmann/json.hpp>

#include "mes/CfxEnvelope.h"
#include "mes/UniqueId.h"

namespace {

using json = nlohmann::json;

constexpr const char* kRequestType = "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest, CFX";
constexpr const char* kRouteValidation = "UnitRouteValidation";
constexpr const char* kStatusValidation = "UnitStatusValidation";
constexpr const char* kRequestSucceeded = "Success";
constexpr const char* kValidationPassed = "Passed";
constexpr const char* kUnreadableRequestFailure = "the MES could not carry out the validation";

// The namespace of every validation request's id.
constexpr Uuid kValidationNamespace = {0x3e, 0x51, 0x0c, 0x7a, 0x94, 0x2d, 0x4b, 0x16,
                                       0xa8, 0x63, 0x5f, 0xd0, 0x21, 0xc4, 0x9b, 0xe7};

std::string TextOf(const json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "";
}

int NumberOf(const json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_number_integer() ? found->get<int>() : 0;
}

bool Passed(const json& result)
{
    return result.is_object() && TextOf(result, "Result") == kValidationPassed;
}

UnitValidationAnswer Refusal(const json& result)
{
    return {false, NumberOf(result, "FailureCode"), TextOf(result, "Message")};
}

}  // namespace

std::string NewValidationRequestId(const CfxSender& sender, const std::string& sn)
{
    // A process-wide count keeps two requests of one millisecond apart; the
    // time and the process keep restarts apart.
    static std::atomic<uint64_t> count {0};
    const auto ns = std::chrono::system_clock::now().time_since_epoch().count();
    std::string name;
    for (const std::string& part : {sender.handle, std::to_string(sender.positionNumber), sn, std::to_string(ns),
                                    std::to_string(getpid()), std::to_string(++count)})
        name += std::to_string(part.size()) + ':' + part;
    return UuidText(NameBasedUuid(kValidationNamespace, name));
}

CfxMessage ValidateUnitsRequestMessage(const std::string& sn, const CfxSender& sender, const std::string& requestId,
                                       JournalClock::time_point sent)
{
    // UnitPosition as CFX 1.2 has it: the unit on no carrier, no placement.
    json unit{{"UnitIdentifier", sn},   {"PositionNumber", sender.positionNumber},
              {"PositionName", nullptr}, {"X", 0.0},
              {"Y", 0.0},               {"Rotation", 0.0},
              {"FlipX", false},         {"FlipY", false}};
    json body{{"$type", kRequestType},
              {"Validations", json::array({kRouteValidation, kStatusValidation})},
              {"PrimaryIdentifier", sn},
              {"Units", json::array({std::move(unit)})}};
    return CfxEnvelope(kValidateUnitsRequestName, requestId, sent, sender.handle, std::move(body), requestId);
}

std::optional<UnitValidationAnswer> ParseValidateUnitsResponse(const std::string& text, std::string* error)
{
    const json envelope = json::parse(text, nullptr, false);
    if (envelope.is_discarded() || !envelope.is_object()) {
        *error = "the answer is not JSON";
        return std::nullopt;
    }
    const std::string name = TextOf(envelope, "MessageName");
    const auto body = envelope.find("MessageBody");
    if (name != kValidateUnitsResponseName || body == envelope.end() || !body->is_object()) {
        *error = "the answer is not a ValidateUnitsResponse" + (name.empty() || name == kValidateUnitsResponseName ? std::string() : " but " + name);
        return std::nullopt;
    }
    const auto request = body->find("Result");
    if (request != body->end() && request->is_object() && TextOf(*request, "Result") != kRequestSucceeded) {
        const std::string message = TextOf(*request, "Message");
        return UnitValidationAnswer {false, NumberOf(*request, "ResultCode"),
                                     message.empty() ? kUnreadableRequestFailure : message};
    }
    const auto primary = body->find("PrimaryResult");
    // Older publications name the list Results.
    auto results = body->find("ValidationResults");
    if (results == body->end())
        results = body->find("Results");
    const bool hasPrimary = primary != body->end() && primary->is_object();
    const bool hasResults = results != body->end() && results->is_array() && !results->empty();
    if (!hasPrimary && !hasResults) {
        *error = "the ValidateUnitsResponse holds no result";
        return std::nullopt;
    }
    if (hasPrimary && !Passed(*primary))
        return Refusal(*primary);
    if (hasResults) {
        for (const json& result : *results) {
            if (!Passed(result))
                return Refusal(result);
        }
    }
    return UnitValidationAnswer {true, 0, ""};
}
