#include "tests/mes/BrokerConsumer.h"

#include <proton/binary.hpp>
#include <proton/connection.hpp>
#include <proton/container.hpp>
#include <proton/delivery.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/receiver.hpp>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <nlohmann/json.hpp>

namespace {

class Consumer : public proton::messaging_handler {
public:
    Consumer(std::string url, std::string address, size_t count, std::string name)
        : url_(std::move(url)), address_(std::move(address)), count_(count), name_(std::move(name))
    {
    }

    void on_container_start(proton::container& container) override
    {
        proton::connection connection = container.connect(url_);
        connection.open_receiver(address_);
    }

    void on_message(proton::delivery&, proton::message& message) override
    {
        const auto body = proton::get<proton::binary>(message.body());
        if (!name_.empty()) {
            const auto envelope = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
            if (!envelope.is_object() || envelope.value("MessageName", "") != name_)
                return;
        }
        std::lock_guard lock(mutex_);
        received_.push_back({proton::get<std::string>(message.id()), std::string(body.begin(), body.end())});
        if (received_.size() >= count_)
            done_.notify_all();
    }

    void on_error(const proton::error_condition&) override { done_.notify_all(); }

    // Waits for the count or the time-out; what came by then.
    std::vector<ReceivedMessage> Await(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex_);
        done_.wait_for(lock, timeout, [this] { return received_.size() >= count_; });
        return received_;
    }

private:
    std::string url_;
    std::string address_;
    size_t count_;
    std::string name_;
    std::mutex mutex_;
    std::condition_variable done_;
    std::vector<ReceivedMessage> received_;
};

}  // namespace

std::vector<ReceivedMessage> ReceiveMessages(const std::string& url, const std::string& address, size_t count,
                                             std::chrono::milliseconds timeout, const std::string& name)
{
    Consumer consumer(url, address, count, name);
    proton::container container(consumer);
    std::thread runner([&container] { container.run(); });
    auto received = consumer.Await(timeout);
    // Stopped at once: the queue is this test's alone, so a message taken
    // but not yet acknowledged does not matter.
    container.stop();
    runner.join();
    received.resize(std::min(received.size(), count));
    return received;
}
