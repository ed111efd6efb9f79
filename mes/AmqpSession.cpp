#include "mes/AmqpSession.h"

#include <proton/connection_options.hpp>
#include <proton/container.hpp>
#include <proton/delivery_mode.hpp>
#include <proton/error_condition.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/sender_options.hpp>
#include <proton/ssl.hpp>
#include <proton/transport.hpp>
#include <proton/work_queue.hpp>

#include <algorithm>

#include "mes/MesOutbox.h"
#include "records/ResultStore.h"

namespace {

// Messages sent ahead of the broker's acceptance.
constexpr int kMaxInFlight = 32;
// How long after sending the outbox is synced to disk when the broker has
// not accepted everything by then; usually it has, and nothing is synced.
constexpr proton::duration::numeric_type kSyncDelayMs = 100;
// The connection is given up when the broker says nothing for this long.
constexpr proton::duration::numeric_type kIdleTimeoutMs = 10000;
constexpr const char* kContentType = "application/json";

std::string Describe(const proton::error_condition& condition)
{
    return condition ? condition.what() : "closed without a reason";
}

}  // namespace

AmqpSession::AmqpSession(const MesEndpoint& endpoint, MesOutbox& outbox, MesSendObserver& observer, bool drain)
    : endpoint_(endpoint)
    , outbox_(outbox)
    , observer_(observer)
    , drain_(drain)
{
}

void AmqpSession::Wake()
{
    std::lock_guard lock(queueMutex_);
    if (queue_)
        queue_->add([this] { SendWaiting(); });
}

void AmqpSession::on_container_start(proton::container& container)
{
    proton::connection_options options;
    options.idle_timeout(proton::duration(kIdleTimeoutMs));
    if (!endpoint_.user.empty()) {
        options.user(endpoint_.user);
        options.password(endpoint_.password);
        // A plain amqp:// URL was the operator's choice for this network.
        options.sasl_allow_insecure_mechs(true);
    }
    if (endpoint_.tls)
        options.ssl_client_options(proton::ssl_client_options());
    container.connect(endpoint_.url, options);
}

void AmqpSession::on_connection_open(proton::connection& connection)
{
    connection_ = connection;
    {
        std::lock_guard lock(queueMutex_);
        queue_ = &connection.work_queue();
    }
    sender_ = connection.open_sender(
        endpoint_.address, proton::sender_options().delivery_mode(proton::delivery_mode::AT_LEAST_ONCE));
}

void AmqpSession::on_sendable(proton::sender&)
{
    SendWaiting();
}

void AmqpSession::SendWaiting()
{
    if (!error_.empty() || !sender_ || !sender_.active())
        return;
    try {
        while (sender_.credit() > 0 && inFlight_.size() < kMaxInFlight) {
            const int room = std::min<int>(sender_.credit(), kMaxInFlight - static_cast<int>(inFlight_.size()));
            const auto entries = outbox_.After(lastSentId_, room);
            if (entries.empty())
                break;
            for (const OutboxEntry& entry : entries) {
                proton::message message;
                message.id(entry.uniqueId);
                message.content_type(kContentType);
                message.durable(true);
                message.body(proton::binary(entry.message.begin(), entry.message.end()));
                message.inferred(true);  // the JSON as a data section
                const proton::tracker tracker = sender_.send(message);
                inFlight_.push_back({tracker.tag(), entry.id, entry.uniqueId});
                lastSentId_ = entry.id;
            }
        }
        if (lastSentId_ > syncedThrough_ && !syncQueued_) {
            syncQueued_ = true;
            connection_.work_queue().schedule(proton::duration(kSyncDelayMs), [this] { SyncUnaccepted(); });
        }
        if (drain_ && inFlight_.empty() && outbox_.Count() == 0)
            connection_.close();
    } catch (const StoreError& error) {
        Fail(std::string("the outbox cannot be read: ") + error.what());
    }
}

void AmqpSession::SyncUnaccepted()
{
    syncQueued_ = false;
    try {
        // Entries the broker accepted meanwhile are gone and need no disk.
        if (outbox_.After(syncedThrough_, 1).empty())
            syncedThrough_ = lastSentId_;
        else
            syncedThrough_ = outbox_.Sync();
    } catch (const StoreError& error) {
        Fail(std::string("the outbox cannot be synced: ") + error.what());
    }
}

void AmqpSession::on_tracker_accept(proton::tracker& tracker)
{
    const auto found = std::find_if(inFlight_.begin(), inFlight_.end(),
                                    [&](const InFlight& sent) { return sent.tag == tracker.tag(); });
    if (found == inFlight_.end())
        return;
    found->accepted = true;
    // The broker acknowledges in batches: the entries go in one removal
    // after the batch, not one by one.
    if (!removalQueued_ && connection_.work_queue().add([this] { RemoveAccepted(); }))
        removalQueued_ = true;
}

void AmqpSession::RemoveAccepted()
{
    removalQueued_ = false;
    std::vector<int64_t> ids;
    std::vector<std::string> uniqueIds;
    for (auto sent = inFlight_.begin(); sent != inFlight_.end();) {
        if (!sent->accepted) {
            ++sent;
            continue;
        }
        ids.push_back(sent->id);
        uniqueIds.push_back(sent->uniqueId);
        sent = inFlight_.erase(sent);
    }
    if (ids.empty())
        return;
    try {
        outbox_.Remove(ids);
    } catch (const StoreError& error) {
        Fail(std::string("accepted messages stay in the outbox and will be sent again: ") + error.what());
        return;
    }
    for (const std::string& uniqueId : uniqueIds)
        observer_.Accepted(uniqueId);
    SendWaiting();
}

void AmqpSession::on_tracker_reject(proton::tracker&)
{
    Fail("the broker rejected a message at " + endpoint_.address);
}

void AmqpSession::on_tracker_release(proton::tracker&)
{
    Fail("the broker did not take a message at " + endpoint_.address + " (released)");
}

void AmqpSession::on_transport_error(proton::transport& transport)
{
    ForgetWorkQueue();
    if (error_.empty())
        error_ = "MES broker " + endpoint_.url + ": " + Describe(transport.error());
}

void AmqpSession::on_transport_close(proton::transport&)
{
    ForgetWorkQueue();
}

void AmqpSession::on_connection_error(proton::connection& connection)
{
    Fail("MES broker " + endpoint_.url + " closed the connection: " + Describe(connection.error()));
}

void AmqpSession::on_connection_close(proton::connection& connection)
{
    // The broker may keep the socket open long after the close handshake.
    ForgetWorkQueue();
    connection.container().stop();
}

void AmqpSession::on_session_error(proton::session& session)
{
    Fail("MES broker " + endpoint_.url + " ended the session: " + Describe(session.error()));
}

void AmqpSession::on_sender_error(proton::sender& sender)
{
    Fail("MES broker " + endpoint_.url + " refused the address " + endpoint_.address + ": " +
         Describe(sender.error()));
}

void AmqpSession::on_error(const proton::error_condition& condition)
{
    Fail("MES broker " + endpoint_.url + ": " + Describe(condition));
}

void AmqpSession::Fail(const std::string& reason)
{
    if (error_.empty())
        error_ = reason;
    ForgetWorkQueue();
    if (connection_ && connection_.active())
        connection_.close();
}

void AmqpSession::ForgetWorkQueue()
{
    std::lock_guard lock(queueMutex_);
    queue_ = nullptr;
}
