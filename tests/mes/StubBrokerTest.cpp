// The sender against small brokers written here, each with one fault: one
// that accepts TCP and never answers, one that grants no credit, one that
// rejects a message once, one that always rejects a message.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <proton/container.hpp>
#include <proton/delivery.hpp>
#include <proton/listen_handler.hpp>
#include <proton/listener.hpp>
#include <proton/message.hpp>
#include <proton/message_id.hpp>
#include <proton/messaging_handler.hpp>
#include <proton/receiver.hpp>
#include <proton/receiver_options.hpp>
#include <proton/transport.hpp>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "mes/MesOutbox.h"
#include "mes/MesSender.h"
#include "tests/support/TempDir.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kArrival = 15s;
// Short waits keep the tests short; the product waits kMesBrokerWait.
constexpr MesRetry kQuickRetry {100ms, 400ms, 1000ms};

enum class Fault { None, NoCredit, RejectOnce, RejectAlways };

// An AMQP 1.0 listener on a free local port, run on a thread of its own.
class StubBroker : public proton::messaging_handler, public proton::listen_handler {
public:
    StubBroker(Fault fault, std::string victim)
        : fault_(fault)
        , victim_(std::move(victim))
        , container_(*this)
    {
        thread_ = std::thread([this] { container_.run(); });
        port_ = portPromise_.get_future().get();
    }
    ~StubBroker() override
    {
        container_.stop();
        thread_.join();
    }

    std::string Url() const { return "amqp://127.0.0.1:" + std::to_string(port_); }

    // The ids it accepted, in order, once there are `count` of them.
    std::vector<std::string> AwaitAccepted(size_t count)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kArrival, [&] { return accepted_.size() >= count; });
        return accepted_;
    }
    int Deliveries(const std::string& id)
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(std::count(delivered_.begin(), delivered_.end(), id));
    }

    void on_container_start(proton::container& container) override
    {
        container.listen("127.0.0.1:0", *this);
    }
    void on_open(proton::listener& listener) override { portPromise_.set_value(listener.port()); }
    void on_error(proton::listener&, const std::string& what) override
    {
        portPromise_.set_exception(std::make_exception_ptr(std::runtime_error(what)));
    }
    // A sender that gives up cuts its connection: nothing for the broker to do.
    void on_transport_error(proton::transport&) override {}
    void on_error(const proton::error_condition&) override {}
    void on_receiver_open(proton::receiver& receiver) override
    {
        receiver.open(proton::receiver_options().auto_accept(false).credit_window(fault_ == Fault::NoCredit ? 0 : 10));
    }
    void on_message(proton::delivery& delivery, proton::message& message) override
    {
        const std::string id = proton::get<std::string>(message.id());
        std::lock_guard lock(mutex_);
        delivered_.push_back(id);
        const bool reject = id == victim_ && (fault_ == Fault::RejectAlways ||
                                              (fault_ == Fault::RejectOnce && Deliveries(id, lock) == 1));
        if (reject) {
            delivery.reject();
            return;
        }
        delivery.accept();
        accepted_.push_back(id);
        changed_.notify_all();
    }

private:
    int Deliveries(const std::string& id, const std::lock_guard<std::mutex>&)
    {
        return static_cast<int>(std::count(delivered_.begin(), delivered_.end(), id));
    }

    Fault fault_;
    std::string victim_;
    proton::container container_;
    std::thread thread_;
    std::promise<int> portPromise_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> delivered_;
    std::vector<std::string> accepted_;
};

// A TCP port whose connections the kernel completes and nobody answers.
class SilentPort {
public:
    SilentPort()
    {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd_, 16) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("no silent port");
        port_ = ntohs(address.sin_port);
    }
    ~SilentPort() { close(fd_); }
    std::string Url() const { return "amqp://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

class RecordingObserver : public MesSendObserver {
public:
    void Failed(const std::string& reason) override
    {
        std::lock_guard lock(mutex_);
        failures_.push_back(reason);
        changed_.notify_all();
    }
    void Buried(const std::string& uniqueId, const std::string&) override
    {
        std::lock_guard lock(mutex_);
        buried_.push_back(uniqueId);
    }
    // The failures once there are `count`, or what came within `wait`.
    std::vector<std::string> AwaitFailures(size_t count, std::chrono::milliseconds wait)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, wait, [&] { return failures_.size() >= count; });
        return failures_;
    }
    std::vector<std::string> Buried()
    {
        std::lock_guard lock(mutex_);
        return buried_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> failures_;
    std::vector<std::string> buried_;
};

class StubBrokerTest : public testing::Test {
protected:
    // An outbox of messages m1..mN.
    void Fill(int count)
    {
        MesOutbox outbox(file);
        for (int i = 1; i <= count; ++i)
            outbox.Add(OutboxMessage {"Unit", "m" + std::to_string(i), "{}"});
    }
    std::unique_ptr<MesSender> StartSender(const std::string& url)
    {
        auto sender = std::make_unique<MesSender>(MesEndpoint {url, "/queue/q", "", "", false}, file, observer,
                                                  kQuickRetry);
        sender->Start();
        return sender;
    }

    TempWorkDir dir;
    std::filesystem::path file = dir.Path() / kMesOutboxFileName;
    RecordingObserver observer;
};

TEST_F(StubBrokerTest, ABrokerThatHangsFailsWithinTheWaitWithAReasonAndIsTriedAgain)
{
    SilentPort silent;
    StubBroker creditless(Fault::NoCredit, "");
    const struct {
        const char* name;
        std::string url;
        std::string reason;
    } cases[] = {
        {"never answers", silent.Url(), "the broker did not open the AMQP connection within 1 s"},
        {"grants no credit", creditless.Url(), "the broker granted no credit on /queue/q within 1 s"},
    };
    Fill(1);
    for (const auto& c : cases) {
        const auto started = std::chrono::steady_clock::now();
        RecordingObserver fresh;
        auto sender = std::make_unique<MesSender>(MesEndpoint {c.url, "/queue/q", "", "", false}, file, fresh,
                                                  kQuickRetry);
        sender->Start();
        const auto failures = fresh.AwaitFailures(2, 10s);
        ASSERT_GE(failures.size(), 2u) << c.name << ": a failed attempt is tried again";
        EXPECT_EQ(failures[0], c.reason) << c.name;
        EXPECT_EQ(failures[1], c.reason) << c.name;
        const auto stopping = std::chrono::steady_clock::now();
        sender.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - stopping, 2s) << c.name << ": stopping does not wait";
        EXPECT_LT(stopping - started, 8s) << c.name;
    }
    EXPECT_EQ(MesOutbox(file).Count(), 1) << "nothing was accepted, nothing leaves the outbox";
}

TEST_F(StubBrokerTest, AMessageRejectedOnceIsSentAgainBeforeAnythingAfterIt)
{
    StubBroker broker(Fault::RejectOnce, "m1");
    Fill(5);
    const auto sender = StartSender(broker.Url());
    EXPECT_EQ(broker.AwaitAccepted(5), (std::vector<std::string> {"m1", "m2", "m3", "m4", "m5"}));
    EXPECT_EQ(broker.Deliveries("m1"), 2);
    EXPECT_TRUE(observer.Buried().empty());
}

TEST_F(StubBrokerTest, AMessageAlwaysRejectedBecomesADeadLetterAndTheRestArrive)
{
    StubBroker broker(Fault::RejectAlways, "m2");
    Fill(4);
    const auto sender = StartSender(broker.Url());
    EXPECT_EQ(broker.AwaitAccepted(3), (std::vector<std::string> {"m1", "m3", "m4"}));
    EXPECT_EQ(broker.Deliveries("m2"), 5) << "rejected five times, then set aside";
    EXPECT_EQ(observer.Buried(), std::vector<std::string> {"m2"});
    MesOutbox outbox(file);
    ASSERT_EQ(outbox.DeadLetters().size(), 1u);
    EXPECT_EQ(outbox.DeadLetters()[0].uniqueId, "m2");
}

}  // namespace
