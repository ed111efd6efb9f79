#pragma once

#include <proton/connection.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/sender.hpp>
#include <proton/tracker.hpp>

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "mes/MesEndpoint.h"

class MesOutbox;
namespace proton {
class work_queue;
}

// What the sender tells its owner; called on the sending thread.
class MesSendObserver {
public:
    virtual ~MesSendObserver() = default;
    // The broker accepted the message; its outbox entry is gone.
    virtual void Accepted(const std::string& /*uniqueId*/) {}
    // The connection failed or the broker refused a message; it is retried.
    virtual void Failed(const std::string& /*reason*/) {}
};

// One connection to the broker: publishes the outbox in order, a few
// messages ahead, and removes each entry once the broker has accepted it.
// Whatever is not accepted when the connection ends stays in the outbox.
class AmqpSession : public proton::messaging_handler {
public:
    // `drain`: close the connection once the outbox is empty, instead of
    // waiting for more.
    AmqpSession(const MesEndpoint& endpoint, MesOutbox& outbox, MesSendObserver& observer, bool drain);

    // New entries in the outbox; safe from any thread.
    void Wake();
    // Removes the entries the broker accepted from the outbox; the owner
    // calls it once more after the connection ended.
    void RemoveAccepted();
    // Why the connection ended; "" when it ended because it was done.
    const std::string& Error() const { return error_; }

    void on_container_start(proton::container& container) override;
    void on_connection_open(proton::connection& connection) override;
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
        int64_t id;
        std::string uniqueId;
        bool accepted = false;
    };

    void SendWaiting();
    // Syncs the outbox to disk unless the broker accepted all it holds.
    void SyncUnaccepted();
    // Records the first reason and closes the connection.
    void Fail(const std::string& reason);
    void ForgetWorkQueue();

    MesEndpoint endpoint_;
    MesOutbox& outbox_;
    MesSendObserver& observer_;
    bool drain_;
    proton::connection connection_;
    proton::sender sender_;
    std::deque<InFlight> inFlight_;
    int64_t lastSentId_ = 0;
    int64_t syncedThrough_ = 0;  // entries up to this id are on the disk
    bool removalQueued_ = false;
    bool syncQueued_ = false;
    std::string error_;
    std::mutex queueMutex_;
    proton::work_queue* queue_ = nullptr;  // the connection's, while it is open
};
