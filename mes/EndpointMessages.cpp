#include "mes/EndpointMessages.h"

namespace {

using json = nlohmann::json;

constexpr const char* kEndpointConnectedType = "CFX.EndpointConnected, CFX";
constexpr const char* kHeartbeatType = "CFX.Heartbeat, CFX";
constexpr const char* kAreYouThereResponseType = "CFX.AreYouThereResponse, CFX";
constexpr const char* kStationStateChangedType = "CFX.ResourcePerformance.StationStateChanged, CFX";
constexpr const char* kSuccess = "Success";
constexpr const char* kRequestQueuePrefix = "/queue/";
constexpr const char* kRequestQueueSuffix = ".requests";

}  // namespace

std::string StationRequestAddress(const std::string& handle)
{
    return kRequestQueuePrefix + handle + kRequestQueueSuffix;
}

OutboxMessage EndpointConnectedMessage(const CfxSender& sender, const CfxRequestPoint& point,
                                       JournalClock::time_point time)
{
    json body{{"$type", kEndpointConnectedType},
              {"CFXHandle", sender.handle},
              {"RequestNetworkUri", point.networkUri},
              {"RequestTargetAddress", point.targetAddress}};
    const CfxMessage message =
        CfxEnvelope(kEndpointConnectedMessageName,
                    StationMessageId("endpoint/connected", sender.handle, sender.positionNumber, time), time,
                    sender.handle, std::move(body));
    return {kEndpointConnectedMessageName, message.uniqueId, message.json};
}

CfxMessage HeartbeatMessage(const CfxSender& sender, std::chrono::seconds frequency, JournalClock::time_point time,
                            int number)
{
    json body{{"$type", kHeartbeatType},
              {"CFXHandle", sender.handle},
              {"HeartbeatFrequency", CfxTimeSpan(frequency)},
              {"ActiveFaults", nullptr},
              {"ActiveRecipes", nullptr}};
    return CfxEnvelope(kHeartbeatMessageName,
                       StationMessageId("heartbeat", sender.handle, sender.positionNumber, time, number), time,
                       sender.handle, std::move(body));
}

CfxMessage AreYouThereResponseMessage(const CfxSender& sender, const CfxRequestPoint& point,
                                      const std::string& requestId, JournalClock::time_point time)
{
    json body{{"$type", kAreYouThereResponseType},
              {"Result", {{"Result", kSuccess}, {"ResultCode", 0}, {"Message", nullptr}}},
              {"CFXHandle", sender.handle},
              {"RequestNetworkUri", point.networkUri},
              {"RequestTargetAddress", point.targetAddress}};
    return CfxEnvelope(kAreYouThereResponseName,
                       StationMessageId("are-you-there/" + requestId, sender.handle, sender.positionNumber, time),
                       time, sender.handle, std::move(body), requestId);
}

OutboxMessage StationStateChangedMessage(const StationStateChange& change, const CfxSender& sender,
                                         JournalClock::time_point time, int number)
{
    json body{{"$type", kStationStateChangedType},
              {"OldState", ResourceStateCode(change.oldState)},
              {"OldStateDuration", CfxTimeSpan(change.oldStateDuration)},
              {"NewState", ResourceStateCode(change.newState)},
              {"RelatedFault", nullptr}};
    const CfxMessage message =
        CfxEnvelope(kStationStateChangedMessageName,
                    StationMessageId("state", sender.handle, sender.positionNumber, time, number), time,
                    sender.handle, std::move(body));
    return {kStationStateChangedMessageName, message.uniqueId, message.json};
}

std::optional<CfxRequest> ParseCfxRequest(const std::string& text)
{
    const json value = json::parse(text, nullptr, false);
    if (value.is_discarded() || !value.is_object())
        return std::nullopt;
    const auto name = value.find("MessageName");
    if (name == value.end() || !name->is_string())
        return std::nullopt;
    CfxRequest request;
    request.name = name->get<std::string>();
    const auto id = value.find("UniqueID");
    if (id != value.end() && id->is_string())
        request.uniqueId = id->get<std::string>();
    const auto body = value.find("MessageBody");
    if (body != value.end() && body->is_object()) {
        const auto handle = body->find("CFXHandle");
        if (handle != body->end() && handle->is_string())
            request.handle = handle->get<std::string>();
    }
    return request;
}
