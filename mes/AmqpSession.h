#pragma once

#include <proton/connection.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/sender.hpp>
#include <proton/tracker.hpp>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "mes/MesEndpoint.h"
#include "mes/MesOutbox.h"

class MesInbox;
class OutboxFeeder;

// What the sender tells its owner; called on the sending thread.
class MesSendObserver {
public:
    virtual ~MesSendObserver() = default;
    // The broker accepted the message; its outbox entry is gone.
    virtual void Accepted(const std::string& /*uniqueId*/) {}
    // The connection failed or timed out; it is tried again.
    virtual void Failed(const std::string& /*reason*/) {}
    // The broker would not take a message: it is a dead letter now.
    virtual void Buried(const std::string& /*uniqueId*/, const std::string& /*reason*/) {}
    // What the outbox holds after a change.
    virtual void Counted(int64_t /*waiting*/, int64_t /*deadLetters*/) {}
};

// How long the session waits for the broker at each step (the AMQP open,
// the link's attach, credit, a message's outcome) before it gives up.
inline constexpr std::chrono::milliseconds kMesBrokerWait {10000};

// One connection to the broker, run on the sender's thread: publishes the
// outbox in order with one message in flight, removes each entry once the
// broker accepted it, sends a rejected one again before anything after it
// and buries one the broker keeps rejecting. Whatever is not accepted when
// the connection ends stays in the outbox.
class AmqpSession : public proton::messaging_handler {
public:
    // `drain`: close the connection once the outbox is empty, instead of
    // waiting for more.
    AmqpSession(const MesEndpoint& endpoint, MesOutbox& outbox, OutboxFeeder& feeder, MesInbox& inbox,
                MesSendObserver& observer, bool drain, std::chrono::milliseconds brokerWait = kMesBrokerWait);

    // Why the connection ended; "" when it ended because it was done.
    const std::string& Error() const { return error_; }
    // Whether the broker settled a message for good (accepted or buried).
    bool Delivered() const { return delivered_; }

    void on_container_start(proton::container& container) override;
    void on_container_stop(proton::container& container) override;
    void on_connection_open(proton::connection& connection) override;
    void on_sender_open(proton::sender& sender) override;
    void on_sendable(proton::sender& sender) override;
    void on_tracker_accept(proton::tracker& tracker) override;
    void on_tracker_reject(proton::tracker& tracker) override;
    void on_tracker_release(proton::tracker& tracker) override;
    void on_transport_error(proton::transport& transport) override;
    void on_transport_close(proton::transport& transport) override;
    void on_connection_error(proton::connection& connection) override;
    void on_connection_close(proton::connection& connection) override;
    void on_session_error(proton::session& session) override;
    void on_sender_error(proton::sender& sender) override;
    void on_error(const proton::error_condition& condition) override;

private:
    struct InFlight {
        proton::binary tag;
        int64_t id = 0;
        std::string uniqueId;
    };

    // Queues what the station pushed, then sends the outbox's first entry
    // unless one is in flight.
    void SendNext();
    void Counted();
    // Gives up after `wait` with `reason` unless disarmed first; "" stops
    // without an error.
    void Arm(const std::string& reason);
    void Disarm();
    void Watch(uint64_t timer, std::chrono::steady_clock::time_point deadline, const std::string& reason);
    void CloseWhenDone();
    // Records the first reason and ends the connection.
    void Fail(const std::string& reason);
    void StopListening();

    MesEndpoint endpoint_;
    MesOutbox& outbox_;
    OutboxFeeder& feeder_;
    MesInbox& inbox_;
    MesSendObserver& observer_;
    bool drain_;
    std::chrono::milliseconds brokerWait_;
    proton::container* container_ = nullptr;  // the one running this handler
    proton::connection connection_;
    proton::sender sender_;
    bool attached_ = false;
    bool waitingForCredit_ = false;
    std::optional<InFlight> inFlight_;
    uint64_t timer_ = 0;  // the armed wait; a wait of an older number is stale
    bool failed_ = false;
    bool delivered_ = false;
    std::string error_;
};
