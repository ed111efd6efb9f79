#pragma once

// An MES for the tests, on the throwaway broker: it answers the station's
// unit validation requests from a table, records every message the station
// publishes on its address (and counts the heartbeats among them), and can
// ask the station a question and wait for the reply. One connection on a
// thread of its own; every method may be called from the test's thread.
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

namespace proton {
class container;
}

// How the fake MES answers a validation request for one SN.
struct FakeMesAnswer {
    enum class Kind { Pass, Refuse, Silent };
    Kind kind = Kind::Pass;
    std::string message;  // the refusal's Message
    int failureCode = 0;  // the refusal's FailureCode

    static FakeMesAnswer Pass() { return {}; }
    static FakeMesAnswer Refuse(std::string message, int code) { return {Kind::Refuse, std::move(message), code}; }
    static FakeMesAnswer Silent() { return {Kind::Silent, {}, 0}; }
};

// A message as the fake MES received it.
struct FakeMesMessage {
    std::string id;             // the AMQP message-id
    std::string correlationId;  // "" when none
    std::string replyTo;        // "" when none
    std::string body;           // the data section as text
    nlohmann::json envelope;    // the body parsed; null when it is not JSON

    std::string Name() const;  // the envelope's MessageName; "" when none
};

class FakeMes {
public:
    // Connects to `url`, takes validation requests from `requestAddress` and
    // records what arrives at `stationAddress`; returns once every link is
    // attached (throws when the broker did not attach them in time).
    FakeMes(std::string url, std::string requestAddress, std::string stationAddress);
    ~FakeMes();
    FakeMes(const FakeMes&) = delete;
    FakeMes& operator=(const FakeMes&) = delete;

    // The answer to requests for `sn`; an SN not in the table passes.
    void Answer(const std::string& sn, FakeMesAnswer answer);
    // Answers the latest request for `sn` that was left silent, now.
    // False when there is none.
    bool AnswerLate(const std::string& sn, FakeMesAnswer answer);

    // Validation requests received so far, in order.
    std::vector<FakeMesMessage> Requests();
    // Waits until `count` requests came; false when `timeout` passed first.
    bool AwaitRequests(size_t count, std::chrono::milliseconds timeout);

    // Messages received on the station's address so far, in order.
    std::vector<FakeMesMessage> Published();
    bool AwaitPublished(size_t count, std::chrono::milliseconds timeout);
    // Those of them named CFX.Heartbeat.
    int Heartbeats();

    // Sends `envelope` to `address` with a reply-to address of the fake's
    // own and a correlation id, and waits for the reply with that id: its
    // body, or nothing when `timeout` passed first.
    std::optional<std::string> Ask(const std::string& address, const std::string& envelope,
                                   std::chrono::milliseconds timeout);

    // The fake's own reply address.
    const std::string& ReplyAddress() const { return replyAddress_; }

private:
    class Handler;

    std::string replyAddress_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::string, FakeMesAnswer> answers_;
    std::map<std::string, FakeMesMessage> silenced_;  // by SN: the latest request left silent
    std::vector<FakeMesMessage> requests_;
    std::vector<FakeMesMessage> published_;
    std::map<std::string, std::string> replies_;  // by correlation id
    std::unique_ptr<Handler> handler_;
    std::unique_ptr<proton::container> container_;
    std::thread thread_;
};

// The ValidateUnitsResponse envelope the fake MES sends for `request`.
std::string FakeMesResponse(const nlohmann::json& request, const FakeMesAnswer& answer);
