#include "mes/OperatorMessages.h"

#include <chrono>
#include <string_view>
#include <utility>

#include "mes/UniqueId.h"

namespace {

using json = nlohmann::json;

constexpr const char* kCfxVersion = "1.2";
constexpr const char* kHumanActor = "Human";
constexpr const char* kActivatedType = "CFX.Production.OperatorActivated, CFX";
constexpr const char* kDeactivatedType = "CFX.Production.OperatorDeactivated, CFX";

// The namespace of the ids of the operator messages.
constexpr Uuid kOperatorNamespace = {0x5b, 0x0e, 0x3c, 0x71, 0x92, 0x4d, 0x4f, 0x1a,
                                     0xa6, 0x2c, 0x19, 0xd8, 0x47, 0x63, 0xe0, 0x55};

// Each part with its length first: no two changes share a name, whatever
// bytes a handle or badge holds.
std::string ChangeId(std::string_view change, const std::string& badge, JournalClock::time_point at,
                     const CfxSender& sender)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch());
    std::string name;
    for (const std::string& part : {sender.handle, std::to_string(sender.positionNumber), std::string(change), badge,
                                    std::to_string(ms.count())})
        name += std::to_string(part.size()) + ':' + part;
    return UuidText(NameBasedUuid(kOperatorNamespace, name));
}

OutboxMessage OperatorMessage(const char* name, const char* type, const std::string& badge,
                              JournalClock::time_point at, const CfxSender& sender)
{
    OutboxMessage message;
    message.name = name;
    message.uniqueId = ChangeId(name, badge, at, sender);
    const json envelope{{"MessageName", name},
                        {"Version", kCfxVersion},
                        {"TimeStamp", JournalTimeText(at)},
                        {"UniqueID", message.uniqueId},
                        {"Source", sender.handle},
                        {"Target", nullptr},
                        {"RequestID", nullptr},
                        {"MessageBody", {{"$type", type}, {"Operator", CfxOperator(badge)}}}};
    message.json = envelope.dump(-1, ' ', false, json::error_handler_t::replace);
    return message;
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
