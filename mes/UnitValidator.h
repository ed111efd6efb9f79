#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "mes/MesEndpoint.h"
#include "mes/UnitsTestedMessage.h"

namespace proton {
class container;
}

// How a validation request ended.
struct UnitValidationOutcome {
    enum class Kind { Passed, Refused, NoAnswer };
    Kind kind = Kind::NoAnswer;
    int failureCode = 0;  // Refused: the MES's FailureCode
    std::string message;  // Refused: the MES's words; NoAnswer: why there was none
    std::string requestId;
    int ignoredAnswers = 0;  // answers to earlier requests that came meanwhile
    std::chrono::milliseconds took {0};
};

// Where the requests go and the answers come back.
struct UnitValidatorSettings {
    // The broker and, as its address, the MES's request queue. Nothing when
    // the settings cannot be used: every request then ends with no answer
    // and `unusable` as the reason.
    std::optional<MesEndpoint> endpoint;
    std::string unusable;
    std::string replyAddress;  // the station's own queue for the answers
    std::chrono::milliseconds timeout {5000};
};

// Asks the MES whether a unit may be tested. Each request goes over a
// connection of its own, on a thread of its own, as an AMQP request with a
// reply-to address and a correlation id; an answer carrying another id (a
// late answer to an earlier request) is taken off the queue and ignored.
// The request ends with the MES's answer, or with no answer once the
// time-out passed or the broker failed. The caller is never blocked: it
// reads the outcome when it likes.
class UnitValidator {
public:
    explicit UnitValidator(UnitValidatorSettings settings);
    ~UnitValidator();  // abandons a request under way
    UnitValidator(const UnitValidator&) = delete;
    UnitValidator& operator=(const UnitValidator&) = delete;

    // Sends `request` (its uniqueId is the request's id); an earlier request
    // still under way is abandoned and its answer will be ignored.
    void Request(const CfxMessage& request);
    // The latest request's outcome once it ended; nothing while it waits or
    // when none was made. Each outcome is given once.
    std::optional<UnitValidationOutcome> TakeOutcome();
    // Waits at most `wait` for the outcome; for callers that may block.
    std::optional<UnitValidationOutcome> AwaitOutcome(std::chrono::milliseconds wait);
    // Abandons the request under way; its outcome is never given.
    void Abandon();
    bool Waiting();

private:
    class Exchange;

    void Ended(const std::string& requestId, UnitValidationOutcome outcome);

    UnitValidatorSettings settings_;
    std::mutex mutex_;
    std::condition_variable ended_;
    std::string current_;  // the request under way; "" none
    std::optional<UnitValidationOutcome> outcome_;
    std::unique_ptr<Exchange> exchange_;
    std::unique_ptr<proton::container> container_;
    std::thread thread_;
};
