#include "mes/OperatorMessages.h"

#include "mes/CfxEnvelope.h"

namespace {

using json = nlohmann::json;

constexpr const char* kHumanActor = "Human";
constexpr const char* kActivatedType = "CFX.Production.OperatorActivated, CFX";
constexpr const char* kDeactivatedType = "CFX.Production.OperatorDeactivated, CFX";

OutboxMessage OperatorMessage(const char* name, const char* type, const std::string& badge,
                              JournalClock::time_point at, const CfxSender& sender)
{
    // The change and the badge name the id's role: the message name is
    // fixed, so the badge is the role's rest.
    const std::string id = StationMessageId(std::string(name) + "/" + badge, sender.handle, sender.positionNumber, at);
    CfxMessage message =
        CfxEnvelope(name, id, at, sender.handle, json{{"$type", type}, {"Operator", CfxOperator(badge)}});
    return {name, message.uniqueId, std::move(message.json)};
}

}  // namespace

json CfxOperator(const std::string& badge)
{
    return json{{"OperatorIdentifier", badge},
                {"ActorType", kHumanActor},
                {"LastName", nullptr},
                {"FirstName", nullptr},
                {"LoginName", badge}};
}

OutboxMessage OperatorActivatedMessage(const std::string& badge, JournalClock::time_point at, const CfxSender& sender)
{
    return OperatorMessage(kOperatorActivatedName, kActivatedType, badge, at, sender);
}

OutboxMessage OperatorDeactivatedMessage(const std::string& badge, JournalClock::time_point at,
                                         const CfxSender& sender)
{
    return OperatorMessage(kOperatorDeactivatedName, kDeactivatedType, badge, at, sender);
}
