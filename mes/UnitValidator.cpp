#include "mes/UnitValidator.h"

#include <proton/binary.hpp>
#include <proton/connection.hpp>
#include <proton/container.hpp>
#include <proton/delivery.hpp>
#include <proton/error.hpp>
#include <proton/error_condition.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/receiver.hpp>
#include <proton/sender.hpp>
#include <proton/tracker.hpp>
#include <proton/transport.hpp>
#include <proton/work_queue.hpp>

#include <atomic>
#include <functional>
#include <utility>

#include "mes/MesConnectionOptions.h"
#include "mes/ValidateUnitsMessage.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kContentType = "application/json";
// How often a request looks at its time-out and whether it was abandoned.
constexpr std::chrono::milliseconds kTick {5};

std::string Seconds(std::chrono::milliseconds wait)
{
    const auto tenths = wait.count() / 100;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " s";
}

}  // namespace

// One request on its own connection: the reply queue attached first, then
// the request sent, then the answer with the request's id awaited.
class UnitValidator::Exchange : public proton::messaging_handler {
public:
    using EndedHook = std::function<void(UnitValidationOutcome)>;

    Exchange(const UnitValidatorSettings& settings, CfxMessage request, EndedHook ended)
        : settings_(settings), request_(std::move(request)), ended_(std::move(ended)), began_(Clock::now())
    {
    }

    void on_container_start(proton::container& container) override
    {
        container_ = &container;
        if (!settings_.endpoint) {
            NoAnswer(settings_.unusable);
            return;
        }
        try {
            Tick();
            container.connect(settings_.endpoint->url, MesConnectionOptions(*settings_.endpoint));
        } catch (const proton::error& error) {
            // The container would not connect (an URL it cannot use).
            NoAnswer(error.what());
        }
    }

    void on_connection_open(proton::connection& connection) override
    {
        // The answers' queue is attached before the request goes, so the
        // broker holds an answer however soon it comes.
        connection.open_receiver(settings_.replyAddress);
        sender_ = connection.open_sender(settings_.endpoint->address);
    }

    void on_receiver_open(proton::receiver&) override
    {
        replyQueueOpen_ = true;
        Send();
    }

    void on_sendable(proton::sender&) override { Send(); }

    void on_message(proton::delivery&, proton::message& message) override
    {
        const proton::message_id correlation = message.correlation_id();
        if (correlation.empty() || proton::to_string(correlation) != request_.uniqueId) {
            ++ignored_;  // accepted, so it leaves the queue
            return;
        }
        std::string error;
        const auto answer = ParseValidateUnitsResponse(MesBodyText(message.body()), &error);
        if (!answer) {
            NoAnswer("the MES's answer cannot be read: " + error);
            return;
        }
        UnitValidationOutcome outcome;
        outcome.kind = answer->passed ? UnitValidationOutcome::Kind::Passed : UnitValidationOutcome::Kind::Refused;
        outcome.failureCode = answer->failureCode;
        outcome.message = answer->message;
        End(std::move(outcome));
    }

    void on_tracker_reject(proton::tracker&) override
    {
        NoAnswer("the broker rejected the request at " + settings_.endpoint->address);
    }

    void on_tracker_release(proton::tracker&) override
    {
        NoAnswer("the broker did not take the request at " + settings_.endpoint->address + " (released)");
    }

    void on_transport_error(proton::transport& transport) override { BrokerFailed(MesConditionText(transport.error())); }
    void on_connection_error(proton::connection& connection) override
    {
        BrokerFailed("closed the connection: " + MesConditionText(connection.error()));
    }
    void on_session_error(proton::session& session) override
    {
        BrokerFailed("ended the session: " + MesConditionText(session.error()));
    }
    void on_sender_error(proton::sender& sender) override
    {
        BrokerFailed("refused the address " + settings_.endpoint->address + ": " + MesConditionText(sender.error()));
    }
    void on_receiver_error(proton::receiver& receiver) override
    {
        BrokerFailed("refused the address " + settings_.replyAddress + ": " + MesConditionText(receiver.error()));
    }
    void on_error(const proton::error_condition& condition) override { BrokerFailed(MesConditionText(condition)); }

    // Ends the request soon, from another thread: the next tick stops.
    void Abandon() { abandoned_ = true; }

private:
    // The time-out is watched in short ticks rather than one long timer: the
    // container's run() returns only once no timer is pending, and a request
    // that ended must let its thread go at once.
    void Tick()
    {
        if (finished_ || abandoned_) {
            container_->stop();
            return;
        }
        if (Clock::now() - began_ >= settings_.timeout) {
            NoAnswer("the MES did not answer within " + Seconds(settings_.timeout));
            return;
        }
        container_->schedule(proton::duration(kTick.count()), [this] { Tick(); });
    }

    void Send()
    {
        if (sent_ || !replyQueueOpen_ || !sender_ || sender_.credit() <= 0)
            return;
        proton::message message;
        message.id(request_.uniqueId);
        message.correlation_id(request_.uniqueId);
        message.reply_to(settings_.replyAddress);
        message.content_type(kContentType);
        message.body(proton::binary(request_.json.begin(), request_.json.end()));
        message.inferred(true);  // the JSON as a data section
        sender_.send(message);
        sent_ = true;
    }

    void BrokerFailed(const std::string& what) { NoAnswer("MES broker " + settings_.endpoint->url + ": " + what); }

    void NoAnswer(const std::string& reason)
    {
        UnitValidationOutcome outcome;
        outcome.message = reason;
        End(std::move(outcome));
    }

    void End(UnitValidationOutcome outcome)
    {
        if (finished_)
            return;
        finished_ = true;
        outcome.requestId = request_.uniqueId;
        outcome.ignoredAnswers = ignored_;
        outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began_);
        ended_(std::move(outcome));
        // A request is worth nothing once it ended: the socket goes at once.
        container_->stop();
    }

    const UnitValidatorSettings& settings_;
    CfxMessage request_;
    EndedHook ended_;
    Clock::time_point began_;
    proton::container* container_ = nullptr;
    proton::sender sender_;
    bool replyQueueOpen_ = false;
    bool sent_ = false;
    bool finished_ = false;
    std::atomic<bool> abandoned_ {false};
    int ignored_ = 0;
};

UnitValidator::UnitValidator(UnitValidatorSettings settings) : settings_(std::move(settings)) {}

UnitValidator::~UnitValidator()
{
    Abandon();
}

void UnitValidator::Request(const CfxMessage& request)
{
    Abandon();
    std::lock_guard lock(mutex_);
    current_ = request.uniqueId;
    outcome_.reset();
    const std::string id = request.uniqueId;
    exchange_ = std::make_unique<Exchange>(settings_, request,
                                           [this, id](UnitValidationOutcome outcome) { Ended(id, std::move(outcome)); });
    container_ = std::make_unique<proton::container>(*exchange_);
    thread_ = std::thread([container = container_.get()] { container->run(); });
}

void UnitValidator::Ended(const std::string& requestId, UnitValidationOutcome outcome)
{
    std::lock_guard lock(mutex_);
    if (requestId != current_)
        return;  // abandoned meanwhile
    current_.clear();
    outcome_ = std::move(outcome);
    ended_.notify_all();
}

std::optional<UnitValidationOutcome> UnitValidator::TakeOutcome()
{
    std::lock_guard lock(mutex_);
    return std::exchange(outcome_, std::nullopt);
}

std::optional<UnitValidationOutcome> UnitValidator::AwaitOutcome(std::chrono::milliseconds wait)
{
    std::unique_lock lock(mutex_);
    ended_.wait_for(lock, wait, [this] { return outcome_.has_value(); });
    return std::exchange(outcome_, std::nullopt);
}

void UnitValidator::Abandon()
{
    {
        std::lock_guard lock(mutex_);
        current_.clear();
        outcome_.reset();
    }
    if (thread_.joinable()) {
        // Its next tick stops the container; a stop from this thread could
        // come before the container started and be lost.
        exchange_->Abandon();
        thread_.join();
    }
    container_.reset();
    exchange_.reset();
}

bool UnitValidator::Waiting()
{
    std::lock_guard lock(mutex_);
    return !current_.empty();
}
