#pragma once

#include <array>
#include <functional>
#include <string_view>

// The request/response transaction of the AT port: fixed delays around a
// purge, one framed request, then chunk-by-chunk polling bounded by a count
// of empty polls. Each function below is one variant of the transaction; the
// device commands are rows of data run by these variants.

inline constexpr int kAtPollLimit = 100;         // empty polls a transaction tolerates
inline constexpr int kKeyReportPollLimit = 10;   // empty polls of one key-report listen
inline constexpr int kAfterFinalPurgeMs = 91;
inline constexpr int kBetweenWriteStepsMs = 91;  // after the D step's "OK"
inline constexpr int kWriteAnswerDelayMs = 773;  // after a W request
inline constexpr int kPollBufferSize = 256;

inline constexpr const char* kOkText = "OK";
inline constexpr const char* kCmeErrorText = "+CME ERROR:";
inline constexpr const char* kSendFailedTrace = "ERROR: sending ate item command!\n";
inline constexpr const char* kReadFailedTraceFormat = "ERROR: reading the port failed: %s\n";
inline constexpr const char* kCounterTraceFormat = "ERROR: ate ReceivePackage counter = %d  at = %s\n";

// How a transaction ended. Only Success is a result of 1.
enum class AtOutcome {
    Success,
    Declined,           // the unit answered, and its answer means "no"
    NoPort,             // no port open; nothing was sent
    SendFailed,
    AnswerTimeout,      // the expected answer never came
    CompletionTimeout,  // the answer came, its "OK" did not
    ErrorAnswer,        // an error text, with "OK" in the same chunk or without any "OK"
    ErrorAnswerLater,   // an error text whose "OK" came in a later chunk
    UnexpectedAnswer,   // an answer outside the values the command knows
    FirstStepTimeout,   // a two-step write's D request was never confirmed
    SecondStepTimeout,  // a two-step write's W request got no verdict
    Silence,            // a listen heard nothing
    Refused,            // the command refused its input; nothing was sent
};

inline int AtResult(AtOutcome outcome) { return outcome == AtOutcome::Success ? 1 : 0; }

// Delays in ms; 0 means none.
struct AtDelays {
    int beforePurge;
    int afterPurge;
    int answer;
};

struct AtTimeoutTraces {
    const char* answer;      // answer-phase time-out
    const char* completion;  // completion-phase time-out
    bool withCounter;        // the counter trace precedes the answer time-out text
};

// When the port is purged (and 91 ms slept) after the reply's "OK".
enum class AtFinalPurge {
    AfterCompletionPhase,  // only when "OK" came after the answer's chunk
    Always,
    Never,
};

// One query-shaped command: the texts it looks for in the answer phase, in
// order of preference (the first one present in a chunk wins; a chunk with
// none is dropped, its "OK" with it), and an optional error text that ends
// the answer phase without a value.
struct AtQuerySpec {
    const char* request;
    AtDelays delays;
    AtTimeoutTraces traces;
    std::array<const char*, 2> answers;
    const char* errorText;
    AtFinalPurge finalPurge;
};

// The chunk in which an answer was found.
struct AtMatch {
    int answer;         // index into the spec's answers, -1 when none was seen
    const char* chunk;  // the chunk's text, zero-terminated
    const char* value;  // the first character after the answer text (or the chunk's end)
};

// Extraction, run on the answer's chunk before its "OK" is known.
using AtOnAnswer = std::function<void(const AtMatch&)>;
// The verdict, run after the "OK" (and the final purge, where there is one).
using AtOnComplete = std::function<AtOutcome()>;

// Query, query with error answer, query with two answers, and check.
AtOutcome RunQuery(const AtQuerySpec& spec, const AtOnAnswer& onAnswer = {},
                   const AtOnComplete& onComplete = {});

// The USB-mode query: a chunk with "OK" but without the answer also ends the
// answer phase; 91 ms pass before the completion phase; no purge follows.
AtOutcome RunModeQuery(const AtQuerySpec& spec, const AtOnAnswer& onAnswer);

// Sends the request and purges whatever the unit answers; the reply is never read.
AtOutcome RunFireAndForget(const char* request, AtDelays delays);

// The first chunk with "OK" is success, one with "+CME ERROR:" failure;
// other chunks are dropped. No purge follows.
AtOutcome RunActionWithVerdict(const char* request, AtDelays delays, AtTimeoutTraces traces);

struct AtTwoStepSpec {
    const char* firstRequest;  // the D request
    int beforeFirstPurgeMs;
    int firstAnswerDelayMs;
    const char* firstTimeoutTrace;
    const char* secondTimeoutTrace;
};

// The D request, confirmed by "OK", then the W request `secondRequest`
// judged as an action with verdict.
AtOutcome RunTwoStepWrite(const AtTwoStepSpec& spec, std::string_view secondRequest);

// Sends nothing; reads chunks until one holds one of `answers` (index in
// `heard`) or `limit` empty polls have passed (Silence).
AtOutcome RunListen(const std::array<const char*, 2>& answers, int limit, int& heard);
