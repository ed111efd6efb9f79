#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "mes/CfxEnvelope.h"
#include "mes/MesOutbox.h"
#include "mes/StationStateTracker.h"
#include "mes/UnitsTestedMessage.h"

// The messages about the station as an endpoint of the CFX network: that it
// joined, that it lives, where it takes requests, and its state.

inline constexpr const char* kEndpointConnectedMessageName = "CFX.EndpointConnected";
inline constexpr const char* kHeartbeatMessageName = "CFX.Heartbeat";
inline constexpr const char* kAreYouThereRequestName = "CFX.AreYouThereRequest";
inline constexpr const char* kAreYouThereResponseName = "CFX.AreYouThereResponse";
inline constexpr const char* kStationStateChangedMessageName = "CFX.ResourcePerformance.StationStateChanged";

// Where the station takes requests: the broker's URL and the address.
struct CfxRequestPoint {
    std::string networkUri;
    std::string targetAddress;
};

// The station's request address on the broker, made from its handle: a
// queue of its own, /queue/HANDLE.requests.
std::string StationRequestAddress(const std::string& handle);

OutboxMessage EndpointConnectedMessage(const CfxSender& sender, const CfxRequestPoint& point,
                                       JournalClock::time_point time);
// `number` tells apart the heartbeats of one millisecond.
CfxMessage HeartbeatMessage(const CfxSender& sender, std::chrono::seconds frequency, JournalClock::time_point time,
                            int number);
// The answer to the request whose envelope's UniqueID is `requestId`.
CfxMessage AreYouThereResponseMessage(const CfxSender& sender, const CfxRequestPoint& point,
                                      const std::string& requestId, JournalClock::time_point time);
// `number` tells apart the changes of one millisecond.
OutboxMessage StationStateChangedMessage(const StationStateChange& change, const CfxSender& sender,
                                         JournalClock::time_point time, int number);

// A request the station reads: its envelope's name and UniqueID, and the
// CFXHandle its body is directed to ("" when it names none).
struct CfxRequest {
    std::string name;
    std::string uniqueId;
    std::string handle;
};
// Nothing when the text is no CFX envelope.
std::optional<CfxRequest> ParseCfxRequest(const std::string& text);
