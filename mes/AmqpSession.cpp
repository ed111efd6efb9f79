#include "mes/AmqpSession.h"

#include <proton/condition.h>
#include <proton/container.hpp>
#include <proton/delivery.h>
#include <proton/delivery_mode.hpp>
#include <proton/disposition.h>
#include <proton/error_condition.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/sender_options.hpp>
#include <proton/transport.hpp>
#include <proton/work_queue.hpp>

#include <algorithm>

#include "mes/MesConnectionOptions.h"
#include "mes/MesInbox.h"
#include "mes/OutboxFeeder.h"
#include "records/ResultStore.h"

namespace {

// A message the broker rejected this often is a dead letter.
constexpr int kMaxRejections = 5;
// Rejections that sending the same message again cannot heal.
constexpr const char* kLastingRejections[] = {
    "amqp:decode-error",
    "amqp:not-allowed",
    "amqp:unauthorized-access",
    "amqp:link:message-size-exceeded",
};
constexpr const char* kContentType = "application/json";
// The longest a scheduled wait lasts; a longer one is watched in slices.
constexpr std::chrono::milliseconds kWatchSlice {250};

// The outcome's condition of a delivery the peer settled. The C++ binding
// keeps the delivery's C object to its wrappers; a wrapper that adds nothing
// reaches it.
struct RawTracker : proton::tracker {
    static pn_delivery_t* Of(const proton::tracker& tracker)
    {
        return static_cast<const RawTracker&>(tracker).pn_object();
    }
};

struct Rejection {
    std::string name;         // e.g. amqp:decode-error; "" when none was given
    std::string description;
};

Rejection RejectionOf(const proton::tracker& tracker)
{
    pn_condition_t* condition = pn_disposition_condition(pn_delivery_remote(RawTracker::Of(tracker)));
    if (!condition || !pn_condition_is_set(condition))
        return {};
    const char* name = pn_condition_get_name(condition);
    const char* description = pn_condition_get_description(condition);
    return {name ? name : "", description ? description : ""};
}

bool Heals(const Rejection& rejection)
{
    return std::none_of(std::begin(kLastingRejections), std::end(kLastingRejections),
                        [&](const char* lasting) { return rejection.name == lasting; });
}

std::string Seconds(std::chrono::milliseconds wait)
{
    const auto tenths = wait.count() / 100;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " s";
}

}  // namespace

AmqpSession::AmqpSession(const MesEndpoint& endpoint, MesOutbox& outbox, OutboxFeeder& feeder, MesInbox& inbox,
                         MesSendObserver& observer, bool drain, std::chrono::milliseconds brokerWait)
    : endpoint_(endpoint)
    , outbox_(outbox)
    , feeder_(feeder)
    , inbox_(inbox)
    , observer_(observer)
    , drain_(drain)
    , brokerWait_(brokerWait)
{
}

void AmqpSession::on_container_start(proton::container& container)
{
    container_ = &container;
    if (inbox_.Closed()) {
        container.stop();
        return;
    }
    container.connect(endpoint_.url, MesConnectionOptions(endpoint_));
    Arm("the broker did not open the AMQP connection within " + Seconds(brokerWait_));
}

void AmqpSession::on_container_stop(proton::container&)
{
    StopListening();
}

void AmqpSession::on_connection_open(proton::connection& connection)
{
    connection_ = connection;
    proton::work_queue* queue = &connection.work_queue();
    // A push or the end of the sender reaches this thread through the
    // connection's queue; the inbox forgets it before the connection goes.
    inbox_.Listen([queue, this] {
        queue->add([this] {
            if (inbox_.Closed())
                Fail("");
            else
                SendNext();
        });
    });
    if (inbox_.Closed()) {
        Fail("");
        return;
    }
    sender_ = connection.open_sender(
        endpoint_.address, proton::sender_options().delivery_mode(proton::delivery_mode::AT_LEAST_ONCE));
    Arm("the broker did not attach the link to " + endpoint_.address + " within " + Seconds(brokerWait_));
}

void AmqpSession::on_sender_open(proton::sender&)
{
    attached_ = true;
    Disarm();
    SendNext();
}

void AmqpSession::on_sendable(proton::sender&)
{
    SendNext();
}

void AmqpSession::SendNext()
{
    if (failed_ || !attached_ || inFlight_)
        return;
    try {
        feeder_.TakeInbox([this] { Counted(); });
        const auto entries = outbox_.After(0, 1);
        if (entries.empty()) {
            waitingForCredit_ = false;
            Disarm();
            if (drain_)
                CloseWhenDone();
            return;
        }
        if (sender_.credit() <= 0) {
            if (!waitingForCredit_) {
                waitingForCredit_ = true;
                Arm("the broker granted no credit on " + endpoint_.address + " within " + Seconds(brokerWait_));
            }
            return;
        }
        waitingForCredit_ = false;
        const OutboxEntry& entry = entries.front();
        proton::message message;
        message.id(entry.uniqueId);
        message.content_type(kContentType);
        message.durable(true);
        message.body(proton::binary(entry.message.begin(), entry.message.end()));
        message.inferred(true);  // the JSON as a data section
        const proton::tracker tracker = sender_.send(message);
        inFlight_ = InFlight {tracker.tag(), entry.id, entry.uniqueId};
        Arm("the broker did not settle message " + entry.uniqueId + " within " + Seconds(brokerWait_));
    } catch (const StoreError& error) {
        Fail(std::string("the outbox cannot be read: ") + error.what());
    }
}

void AmqpSession::Counted()
{
    observer_.Counted(outbox_.Count(), outbox_.DeadLetterCount());
}

void AmqpSession::on_tracker_accept(proton::tracker& tracker)
{
    if (!inFlight_ || inFlight_->tag != tracker.tag())
        return;
    Disarm();
    const InFlight sent = *inFlight_;
    try {
        outbox_.Remove({sent.id});
        Counted();
    } catch (const StoreError& error) {
        Fail(std::string("an accepted message stays in the outbox and will be sent again: ") + error.what());
        return;
    }
    inFlight_.reset();
    delivered_ = true;
    observer_.Accepted(sent.uniqueId);
    SendNext();
}

void AmqpSession::on_tracker_reject(proton::tracker& tracker)
{
    if (!inFlight_ || inFlight_->tag != tracker.tag())
        return;
    Disarm();
    const InFlight sent = *inFlight_;
    const Rejection rejection = RejectionOf(tracker);
    const std::string reason = "the broker rejected message " + sent.uniqueId +
                               (rejection.name.empty() ? "" : " (" + rejection.name + ")") +
                               (rejection.description.empty() ? "" : ": " + rejection.description);
    try {
        const int rejections = outbox_.CountRejection(sent.id);
        if (rejections >= kMaxRejections || !Heals(rejection)) {
            outbox_.Bury(sent.id, reason);
            delivered_ = true;
            Counted();
            observer_.Buried(sent.uniqueId, reason);
        } else {
            observer_.Failed(reason);
        }
    } catch (const StoreError& error) {
        Fail(reason + "; " + error.what());
        return;
    }
    // The same message again (or the next, once this one is buried):
    // nothing after it goes first.
    inFlight_.reset();
    SendNext();
}

void AmqpSession::on_tracker_release(proton::tracker& tracker)
{
    if (!inFlight_ || inFlight_->tag != tracker.tag())
        return;
    // Released or modified: the broker may take it later; the next
    // connection sends it again before anything after it.
    Fail("the broker did not take message " + inFlight_->uniqueId + " at " + endpoint_.address + " (released)");
}

void AmqpSession::on_transport_error(proton::transport& transport)
{
    Fail("MES broker " + endpoint_.url + ": " + MesConditionText(transport.error()));
}

void AmqpSession::on_transport_close(proton::transport&)
{
    StopListening();
    if (container_)
        container_->stop();
}

void AmqpSession::on_connection_error(proton::connection& connection)
{
    Fail("MES broker " + endpoint_.url + " closed the connection: " + MesConditionText(connection.error()));
}

void AmqpSession::on_connection_close(proton::connection&)
{
    // The broker may keep the socket open long after the close handshake.
    StopListening();
    container_->stop();
}

void AmqpSession::on_session_error(proton::session& session)
{
    Fail("MES broker " + endpoint_.url + " ended the session: " + MesConditionText(session.error()));
}

void AmqpSession::on_sender_error(proton::sender& sender)
{
    Fail("MES broker " + endpoint_.url + " refused the address " + endpoint_.address + ": " +
         MesConditionText(sender.error()));
}

void AmqpSession::on_error(const proton::error_condition& condition)
{
    Fail("MES broker " + endpoint_.url + ": " + MesConditionText(condition));
}

void AmqpSession::Arm(const std::string& reason)
{
    Watch(++timer_, std::chrono::steady_clock::now() + brokerWait_, reason);
}

// The wait is watched in short slices: a container does not stop before its
// scheduled work has run, so one long timer would hold up the sender's stop
// for the whole wait.
void AmqpSession::Watch(uint64_t timer, std::chrono::steady_clock::time_point deadline, const std::string& reason)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    const auto slice = std::clamp(left, std::chrono::milliseconds(0), kWatchSlice);
    container_->schedule(proton::duration(slice.count()), [this, timer, deadline, reason] {
        // Disarmed, armed again, failed or stopping: this wait is over.
        if (timer != timer_ || failed_ || inbox_.Closed())
            return;
        if (std::chrono::steady_clock::now() >= deadline)
            Fail(reason);
        else
            Watch(timer, deadline, reason);
    });
}

void AmqpSession::Disarm()
{
    ++timer_;
}

void AmqpSession::CloseWhenDone()
{
    StopListening();
    if (connection_ && connection_.active())
        connection_.close();
    // A broker that never answers the close does not keep the sender.
    Arm("");
}

void AmqpSession::Fail(const std::string& reason)
{
    if (!failed_ && error_.empty())
        error_ = reason;
    failed_ = true;
    Disarm();
    StopListening();
    // Whatever is in flight stays in the outbox; the socket goes at once,
    // since a broker that stopped answering would not answer a close.
    container_->stop();
}

void AmqpSession::StopListening()
{
    inbox_.Listen({});
}
