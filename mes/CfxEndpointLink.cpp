#include "mes/CfxEndpointLink.h"

#include <proton/binary.hpp>
#include <proton/connection.hpp>
#include <proton/container.hpp>
#include <proton/delivery.hpp>
#include <proton/delivery_mode.hpp>
#include <proton/error_condition.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/receiver.hpp>
#include <proton/sender.hpp>
#include <proton/sender_options.hpp>
#include <proton/transport.hpp>
#include <proton/work_queue.hpp>

#include <deque>
#include <map>

#include "mes/MesConnectionOptions.h"

namespace {

constexpr const char* kContentType = "application/json";

proton::message Outgoing(const CfxMessage& cfx, const std::string& correlationId = "")
{
    proton::message message;
    message.id(cfx.uniqueId);
    if (!correlationId.empty())
        message.correlation_id(correlationId);
    message.content_type(kContentType);
    message.body(proton::binary(cfx.json.begin(), cfx.json.end()));
    message.inferred(true);  // the JSON as a data section
    return message;
}

}  // namespace

// One connection: the heartbeat sender, the request receiver and a sender
// per reply address. Runs on the link's thread.
class CfxEndpointLink::Session : public proton::messaging_handler {
public:
    explicit Session(CfxEndpointLink& link)
        : link_(link)
        , settings_(link.settings_)
    {
    }

    void on_container_start(proton::container& container) override
    {
        container_ = &container;
        if (link_.Stopping()) {
            container.stop();
            return;
        }
        container.connect(settings_.endpoint.url, MesConnectionOptions(settings_.endpoint));
    }

    // On a thread of its own while the connection runs: gives the broker
    // its time to open the connection, then has a heartbeat sent every
    // period. Waits here rather than in the container's timers, which would
    // hold the container up after Stop for as long as they are set.
    void Tick(proton::container& container)
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, settings_.brokerWait, [this] { return over_ || queue_; })) {
            error_ = "the broker did not open the AMQP connection within " +
                     std::to_string(settings_.brokerWait.count()) + " ms";
            lock.unlock();
            container.stop();
            return;
        }
        while (!over_ && settings_.heartbeat.count() > 0) {
            if (changed_.wait_for(lock, settings_.heartbeat, [this] { return over_; }))
                break;
            if (queue_)
                queue_->add([this] { Beat(); });
        }
    }

    // The connection is over: Tick returns.
    void End()
    {
        {
            std::lock_guard lock(mutex_);
            over_ = true;
            queue_ = nullptr;
        }
        changed_.notify_all();
    }

    std::string Error()
    {
        std::lock_guard lock(mutex_);
        return error_;
    }

    void on_connection_open(proton::connection& connection) override
    {
        {
            std::lock_guard lock(mutex_);
            queue_ = &connection.work_queue();
        }
        changed_.notify_all();
        connection.open_receiver(settings_.requestAddress);
        if (settings_.heartbeat.count() > 0) {
            heartbeat_ = connection.open_sender(
                settings_.endpoint.address,
                proton::sender_options().delivery_mode(proton::delivery_mode::AT_MOST_ONCE));
        }
    }

    void on_sender_open(proton::sender& sender) override
    {
        if (sender == heartbeat_ && !beating_) {
            beating_ = true;
            Beat();
        }
    }

    void on_sendable(proton::sender& sender) override
    {
        for (auto& [address, reply] : replies_) {
            if (reply.sender != sender)
                continue;
            while (!reply.waiting.empty() && sender.credit() > 0) {
                sender.send(reply.waiting.front());
                reply.waiting.pop_front();
                ++link_.answered_;
            }
        }
    }

    void on_message(proton::delivery&, proton::message& message) override
    {
        const auto request = ParseCfxRequest(MesBodyText(message.body()));
        if (!request || request->name != kAreYouThereRequestName || message.reply_to().empty())
            return;
        // A request for another endpoint that reached this queue is not ours to answer.
        if (!request->handle.empty() && request->handle != settings_.sender.handle)
            return;
        const std::string correlation = message.correlation_id().empty()
                                            ? proton::to_string(message.id())
                                            : proton::to_string(message.correlation_id());
        const CfxMessage answer =
            AreYouThereResponseMessage(settings_.sender, {settings_.endpoint.url, settings_.requestAddress},
                                       request->uniqueId, JournalClock::now());
        auto found = replies_.find(message.reply_to());
        if (found == replies_.end()) {
            proton::sender sender = message_connection_.open_sender(message.reply_to());
            found = replies_.emplace(message.reply_to(), Reply {sender, {}}).first;
        }
        found->second.waiting.push_back(Outgoing(answer, correlation));
        on_sendable(found->second.sender);
    }

    void on_receiver_open(proton::receiver& receiver) override { message_connection_ = receiver.connection(); }

    void on_transport_close(proton::transport&) override { End(); }

    void on_transport_error(proton::transport& transport) override
    {
        Fail("MES broker " + settings_.endpoint.url + ": " + MesConditionText(transport.error()));
    }
    void on_connection_error(proton::connection& connection) override
    {
        Fail("MES broker " + settings_.endpoint.url + " closed the connection: " + MesConditionText(connection.error()));
    }
    void on_receiver_error(proton::receiver& receiver) override
    {
        Fail("MES broker " + settings_.endpoint.url + " refused the request address " + settings_.requestAddress +
             ": " + MesConditionText(receiver.error()));
    }
    void on_sender_error(proton::sender& sender) override
    {
        Fail("MES broker " + settings_.endpoint.url + " refused an address: " + MesConditionText(sender.error()));
    }
    void on_error(const proton::error_condition& condition) override
    {
        Fail("MES broker " + settings_.endpoint.url + ": " + MesConditionText(condition));
    }

private:
    struct Reply {
        proton::sender sender;
        std::deque<proton::message> waiting;
    };

    // Sends a heartbeat when the broker gives credit for one: a late one is
    // worth nothing, so none waits.
    void Beat()
    {
        if (failed_ || !heartbeat_.active() || heartbeat_.credit() <= 0)
            return;
        heartbeat_.send(
            Outgoing(HeartbeatMessage(settings_.sender, settings_.heartbeat, JournalClock::now(), beatNumber_++)));
        ++link_.heartbeats_;
    }

    void Fail(const std::string& reason)
    {
        if (failed_)
            return;
        failed_ = true;
        {
            std::lock_guard lock(mutex_);
            if (error_.empty())
                error_ = reason;
        }
        End();
        container_->stop();
    }

    CfxEndpointLink& link_;
    const CfxLinkSettings& settings_;
    proton::container* container_ = nullptr;
    proton::connection message_connection_;
    proton::sender heartbeat_;
    std::map<std::string, Reply> replies_;
    int beatNumber_ = 0;
    bool beating_ = false;
    bool failed_ = false;
    std::mutex mutex_;  // what Tick shares with the connection's thread
    std::condition_variable changed_;
    proton::work_queue* queue_ = nullptr;  // the open connection's
    bool over_ = false;
    std::string error_;
};

CfxEndpointLink::CfxEndpointLink(CfxLinkSettings settings)
    : settings_(std::move(settings))
{
}

CfxEndpointLink::~CfxEndpointLink()
{
    Stop();
}

void CfxEndpointLink::Start()
{
    if (!thread_.joinable())
        thread_ = std::thread([this] { Run(); });
}

void CfxEndpointLink::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (container_)
            container_->stop();
    }
    stopped_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::string CfxEndpointLink::LastFailure()
{
    std::lock_guard lock(mutex_);
    return failure_;
}

bool CfxEndpointLink::Stopping()
{
    std::lock_guard lock(mutex_);
    return stopping_;
}

void CfxEndpointLink::Run()
{
    while (!Stopping()) {
        Session session(*this);
        proton::container container(session);
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            container_ = &container;
        }
        std::thread ticker([&] { session.Tick(container); });
        std::string error;
        try {
            container.run();
            error = session.Error();
        } catch (const std::exception& failure) {
            error = "MES broker " + settings_.endpoint.url + ": " + failure.what();
        }
        session.End();
        ticker.join();
        std::unique_lock lock(mutex_);
        container_ = nullptr;
        if (stopping_)
            return;
        failure_ = error.empty() ? "the broker closed the connection" : error;
        // Bounded: the next connection is tried after the wait, or the link
        // ends as soon as it is stopped.
        stopped_.wait_for(lock, settings_.retry, [this] { return stopping_; });
    }
}
