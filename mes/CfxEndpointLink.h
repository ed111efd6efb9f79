#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "mes/AmqpSession.h"
#include "mes/EndpointMessages.h"
#include "mes/MesEndpoint.h"

namespace proton {
class container;
}

struct CfxLinkSettings {
    MesEndpoint endpoint;        // the broker and the station's publish address
    CfxSender sender;            // the station's handle and position
    std::string requestAddress;  // where the station takes requests
    std::chrono::seconds heartbeat {60};  // 0: no heartbeat
    std::chrono::milliseconds retry {5000};  // wait after a failed connection
    std::chrono::milliseconds brokerWait = kMesBrokerWait;  // for the connection to open
};

// The station's live presence on the broker, on a connection and thread of
// its own beside the sender's: a Heartbeat on the publish address every
// period, and an answer to each AreYouThereRequest that comes to the
// request address, sent to the request's reply-to address with its
// correlation id. Neither goes through the outbox: a heartbeat or an
// answer that cannot go now is worth nothing later, so none is kept.
class CfxEndpointLink {
public:
    explicit CfxEndpointLink(CfxLinkSettings settings);
    ~CfxEndpointLink();  // stops
    CfxEndpointLink(const CfxEndpointLink&) = delete;
    CfxEndpointLink& operator=(const CfxEndpointLink&) = delete;

    void Start();
    // Ends the connection and the thread at once.
    void Stop();

    int64_t HeartbeatsSent() const { return heartbeats_; }
    int64_t RequestsAnswered() const { return answered_; }
    // Why the latest connection ended; "" while none failed.
    std::string LastFailure();

private:
    class Session;

    void Run();
    bool Stopping();

    CfxLinkSettings settings_;
    std::atomic<int64_t> heartbeats_ {0};
    std::atomic<int64_t> answered_ {0};
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::string failure_;
    proton::container* container_ = nullptr;  // the connection being run, for Stop
    std::thread thread_;
};
