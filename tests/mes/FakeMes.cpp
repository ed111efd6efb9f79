#include "tests/mes/FakeMes.h"

#include <proton/binary.hpp>
#include <proton/connection.hpp>
#include <proton/container.hpp>
#include <proton/delivery.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/receiver.hpp>
#include <proton/sender.hpp>
#include <proton/work_queue.hpp>

#include <algorithm>
#include <atomic>
#include <deque>
#include <stdexcept>

#include <unistd.h>

namespace {

using json = nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kAttachWait = 20s;  // a broker just started may take a while
constexpr const char* kHandle = "Test.FakeMes";
constexpr const char* kValidateRequest = "CFX.InformationSystem.UnitValidation.ValidateUnitsRequest";
constexpr const char* kValidateResponse = "CFX.InformationSystem.UnitValidation.ValidateUnitsResponse";
constexpr const char* kHeartbeat = "CFX.Heartbeat";
constexpr int kLinks = 3;  // requests, the station's address, the fake's replies

std::atomic<int> fakeCount {0};

std::string Text(const proton::value& body)
{
    if (body.type() == proton::BINARY) {
        const auto data = proton::get<proton::binary>(body);
        return std::string(data.begin(), data.end());
    }
    if (body.type() == proton::STRING)
        return proton::get<std::string>(body);
    return proton::to_string(body);
}

std::string IdText(const proton::message_id& id)
{
    return id.empty() ? "" : proton::to_string(id);
}

FakeMesMessage Received(const proton::message& message)
{
    FakeMesMessage received;
    received.id = IdText(message.id());
    received.correlationId = IdText(message.correlation_id());
    received.replyTo = message.reply_to();
    received.body = Text(message.body());
    received.envelope = json::parse(received.body, nullptr, false);
    if (received.envelope.is_discarded())
        received.envelope = nullptr;
    return received;
}

proton::message Outgoing(const std::string& body, const std::string& id, const std::string& correlationId,
                         const std::string& replyTo)
{
    proton::message message;
    message.id(id);
    if (!correlationId.empty())
        message.correlation_id(correlationId);
    if (!replyTo.empty())
        message.reply_to(replyTo);
    message.content_type("application/json");
    message.body(proton::binary(body.begin(), body.end()));
    message.inferred(true);
    return message;
}

}  // namespace

std::string FakeMesMessage::Name() const
{
    return envelope.is_object() && envelope.contains("MessageName") && envelope["MessageName"].is_string()
               ? envelope["MessageName"].get<std::string>()
               : "";
}

std::string FakeMesResponse(const json& request, const FakeMesAnswer& answer)
{
    const json body = request.value("MessageBody", json::object());
    const std::string sn = body.value("PrimaryIdentifier", "");
    int position = 0;
    if (body.contains("Units") && body["Units"].is_array() && !body["Units"].empty())
        position = body["Units"][0].value("PositionNumber", 0);
    const bool passed = answer.kind == FakeMesAnswer::Kind::Pass;
    auto result = [&](int number) {
        return json{{"UniqueIdentifier", sn},
                    {"PositionNumber", number},
                    {"Result", passed ? "Passed" : "Failed"},
                    {"FailureCode", passed ? 0 : answer.failureCode},
                    {"Message", passed ? "OK" : answer.message}};
    };
    const json envelope{
        {"MessageName", kValidateResponse},
        {"Version", "1.2"},
        {"TimeStamp", "2026-12-08T08:00:00.000+00:00"},
        {"UniqueID", "fake-" + request.value("UniqueID", "")},
        {"Source", kHandle},
        {"Target", request.value("Source", "")},
        {"RequestID", request.value("RequestID", json(nullptr))},
        {"MessageBody",
         {{"$type", "CFX.InformationSystem.UnitValidation.ValidateUnitsResponse, CFX"},
          {"Result", {{"Result", "Success"}, {"ResultCode", 0}, {"Message", nullptr}}},
          {"PrimaryResult", result(0)},
          {"ValidationResults", json::array({result(position)})}}}};
    return envelope.dump();
}

// Runs on the container's thread; reaches the fake's tables under its mutex.
class FakeMes::Handler : public proton::messaging_handler {
public:
    Handler(FakeMes& fake, std::string url, std::string requestAddress, std::string stationAddress)
        : fake_(fake)
        , url_(std::move(url))
        , requestAddress_(std::move(requestAddress))
        , stationAddress_(std::move(stationAddress))
    {
    }

    void on_container_start(proton::container& container) override
    {
        proton::connection connection = container.connect(url_);
        queue_ = &connection.work_queue();
        requests_ = connection.open_receiver(requestAddress_);
        station_ = connection.open_receiver(stationAddress_);
        replies_ = connection.open_receiver(fake_.replyAddress_);
    }

    void on_receiver_open(proton::receiver&) override
    {
        std::lock_guard lock(fake_.mutex_);
        ++attached_;
        fake_.changed_.notify_all();
    }

    void on_message(proton::delivery& delivery, proton::message& message) override
    {
        FakeMesMessage received = Received(message);
        const proton::receiver receiver = delivery.receiver();
        if (receiver == requests_) {
            Request(std::move(received));
            return;
        }
        std::lock_guard lock(fake_.mutex_);
        if (receiver == replies_)
            fake_.replies_[received.correlationId] = received.body;
        else
            fake_.published_.push_back(std::move(received));
        fake_.changed_.notify_all();
    }

    void on_sendable(proton::sender& sender) override { Flush(sender); }

    void on_error(const proton::error_condition& condition) override
    {
        std::lock_guard lock(fake_.mutex_);
        error_ = condition.what();
        fake_.changed_.notify_all();
    }

    // Sends `message` to `address` on the container's thread.
    void Send(const std::string& address, proton::message message)
    {
        queue_->add([this, address, message] {
            auto found = senders_.find(address);
            if (found == senders_.end())
                found = senders_.emplace(address, Link {requests_.connection().open_sender(address), {}}).first;
            found->second.pending.push_back(message);
            Flush(found->second.sender);
        });
    }

    // Answers `request` on its reply-to address.
    void Reply(const FakeMesMessage& request, const FakeMesAnswer& answer)
    {
        if (request.replyTo.empty() || !request.envelope.is_object())
            return;
        Send(request.replyTo,
             Outgoing(FakeMesResponse(request.envelope, answer), "reply-" + request.id, request.id, ""));
    }

    bool Attached() const { return attached_ == kLinks; }
    const std::string& Error() const { return error_; }

private:
    struct Link {
        proton::sender sender;
        std::deque<proton::message> pending;
    };

    void Request(FakeMesMessage request)
    {
        const std::string sn = request.envelope.is_object()
                                   ? request.envelope.value("MessageBody", json::object()).value("PrimaryIdentifier", "")
                                   : "";
        FakeMesAnswer answer;
        if (request.Name() != kValidateRequest)
            answer = FakeMesAnswer::Silent();  // recorded, never answered
        {
            std::lock_guard lock(fake_.mutex_);
            const auto found = fake_.answers_.find(sn);
            if (found != fake_.answers_.end() && request.Name() == kValidateRequest)
                answer = found->second;
            fake_.requests_.push_back(request);
            if (answer.kind == FakeMesAnswer::Kind::Silent)
                fake_.silenced_[sn] = request;
            fake_.changed_.notify_all();
        }
        if (answer.kind != FakeMesAnswer::Kind::Silent)
            Reply(request, answer);
    }

    void Flush(proton::sender& sender)
    {
        for (auto& [address, link] : senders_) {
            if (link.sender != sender)
                continue;
            while (!link.pending.empty() && sender.credit() > 0) {
                sender.send(link.pending.front());
                link.pending.pop_front();
            }
        }
    }

    FakeMes& fake_;
    std::string url_;
    std::string requestAddress_;
    std::string stationAddress_;
    proton::work_queue* queue_ = nullptr;
    proton::receiver requests_;
    proton::receiver station_;
    proton::receiver replies_;
    std::map<std::string, Link> senders_;
    int attached_ = 0;  // under the fake's mutex
    std::string error_;
};

FakeMes::FakeMes(std::string url, std::string requestAddress, std::string stationAddress)
    : replyAddress_("/queue/fakemes_" + std::to_string(getpid()) + "_" + std::to_string(++fakeCount) + "_replies")
    , handler_(std::make_unique<Handler>(*this, std::move(url), std::move(requestAddress), std::move(stationAddress)))
    , container_(std::make_unique<proton::container>(*handler_))
    , thread_([this] { container_->run(); })
{
    std::unique_lock lock(mutex_);
    const bool attached =
        changed_.wait_for(lock, kAttachWait, [this] { return handler_->Attached() || !handler_->Error().empty(); });
    if (!attached || !handler_->Attached()) {
        const std::string error = handler_->Error();
        lock.unlock();
        container_->stop();
        thread_.join();
        throw std::runtime_error("the fake MES could not attach its links: " +
                                 (error.empty() ? std::string("no answer from the broker") : error));
    }
}

FakeMes::~FakeMes()
{
    container_->stop();
    thread_.join();
}

void FakeMes::Answer(const std::string& sn, FakeMesAnswer answer)
{
    std::lock_guard lock(mutex_);
    answers_[sn] = std::move(answer);
}

bool FakeMes::AnswerLate(const std::string& sn, FakeMesAnswer answer)
{
    FakeMesMessage request;
    {
        std::lock_guard lock(mutex_);
        const auto found = silenced_.find(sn);
        if (found == silenced_.end())
            return false;
        request = found->second;
        silenced_.erase(found);
    }
    handler_->Reply(request, answer);
    return true;
}

std::vector<FakeMesMessage> FakeMes::Requests()
{
    std::lock_guard lock(mutex_);
    return requests_;
}

bool FakeMes::AwaitRequests(size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

std::vector<FakeMesMessage> FakeMes::Published()
{
    std::lock_guard lock(mutex_);
    return published_;
}

bool FakeMes::AwaitPublished(size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return published_.size() >= count; });
}

int FakeMes::Heartbeats()
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(std::count_if(published_.begin(), published_.end(),
                                          [](const FakeMesMessage& message) { return message.Name() == kHeartbeat; }));
}

std::optional<std::string> FakeMes::Ask(const std::string& address, const std::string& envelope,
                                        std::chrono::milliseconds timeout)
{
    static std::atomic<int> asked {0};
    const std::string id = "fakemes-ask-" + std::to_string(getpid()) + "-" + std::to_string(++asked);
    handler_->Send(address, Outgoing(envelope, id, id, replyAddress_));
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [&] { return replies_.count(id) != 0; }))
        return std::nullopt;
    return replies_[id];
}
