#include "link/AtTransaction.h"

#include <cstdio>
#include <cstring>

#include "link/AtPort.h"
#include "link/Clock.h"
#include "link/SerialPort.h"
#include "link/Trace.h"

namespace {

void Sleep(int ms)
{
    if (ms > 0)
        CurrentClock().Sleep(ms);
}

// Sleep, purge, sleep: the preparation before a request.
void Prepare(int beforePurgeMs, int afterPurgeMs)
{
    Sleep(beforePurgeMs);
    SerialPurge(AtPort);
    Sleep(afterPurgeMs);
}

void FinalPurge()
{
    SerialPurge(AtPort);
    Sleep(kAfterFinalPurgeMs);
}

bool Send(std::string_view request)
{
    if (request.size() > static_cast<size_t>(kMaxPackagePayload)) {
        TraceOut(kSendFailedTrace);
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(request.data());
    if (SendPackage(AtPort, bytes, static_cast<unsigned char>(request.size()), kPackageModeAt))
        return true;
    TraceOut(kSendFailedTrace);
    return false;
}

// Reports a failed read of the port (the unit unplugged) once per command,
// so an unplugged unit can be told from a silent one in the trace.
class ReadErrorNote {
public:
    void Check()
    {
        const int error = SerialLastReadError();
        if (error == 0 || reported_)
            return;
        reported_ = true;
        char text[160];
        std::snprintf(text, sizeof text, kReadFailedTraceFormat, std::strerror(error));
        TraceOut(text);
    }

private:
    bool reported_ = false;
};

// How long a phase may run: as long as `limit` + 1 empty polls last on a
// silent port. A port that keeps delivering chunks without what the phase
// waits for is given up after that time.
int64_t PhaseBudgetMs(int limit)
{
    return static_cast<int64_t>(limit + 1) * (kReadWaitMs + kEmptyPollSleepMs);
}

// Polls for chunks, counting the polls that deliver nothing.
class Poller {
public:
    Poller(int limit, ReadErrorNote& readErrors)
        : limit_(limit)
        , deadlineMs_(CurrentClock().NowMs() + PhaseBudgetMs(limit))
        , readErrors_(readErrors)
    {
    }

    // Polls until a chunk arrives (true), or until the empty polls exceed the
    // limit or the phase has used up its time (false). The time is looked at
    // only after a chunk, so a silent port ends by the count alone.
    bool Next()
    {
        if (chunks_ > 0 && CurrentClock().NowMs() >= deadlineMs_)
            return false;
        for (;;) {
            std::memset(buffer_, 0, sizeof buffer_);
            if (ReceivePackage(AtPort, buffer_)) {
                ++chunks_;
                return true;
            }
            readErrors_.Check();
            if (++counter_ > limit_)
                return false;
        }
    }

    // Polls until a chunk holds "OK".
    bool NextWithOk()
    {
        while (Next()) {
            if (Has(kOkText))
                return true;
        }
        return false;
    }

    const char* Text() const { return reinterpret_cast<const char*>(buffer_ + 1); }
    bool Has(const char* text) const { return std::strstr(Text(), text) != nullptr; }
    int Counter() const { return counter_; }

    // First of `answers` found in the chunk: its index and where it ends.
    AtMatch Find(const std::array<const char*, 2>& answers) const
    {
        for (int i = 0; i < static_cast<int>(answers.size()); ++i) {
            if (!answers[i])
                continue;
            if (const char* at = std::strstr(Text(), answers[i]))
                return {i, Text(), at + std::strlen(answers[i])};
        }
        return {-1, Text(), Text() + std::strlen(Text())};
    }

private:
    int limit_;
    int64_t deadlineMs_;
    ReadErrorNote& readErrors_;
    int counter_ = 0;
    int chunks_ = 0;
    unsigned char buffer_[kPollBufferSize] = {};
};

void TraceAnswerTimeout(const AtTimeoutTraces& traces, const Poller& poller)
{
    if (traces.withCounter) {
        char text[kPollBufferSize + 64];
        std::snprintf(text, sizeof text, kCounterTraceFormat, poller.Counter(), poller.Text());
        TraceOut(text);
    }
    TraceOut(traces.answer);
}

// Guard, preparation, request and answer delay: the start every sending
// variant shares. Success means the request is on its way.
AtOutcome Request(const char* request, AtDelays delays)
{
    if (AtPort == 0)
        return AtOutcome::NoPort;
    Prepare(delays.beforePurge, delays.afterPurge);
    if (!Send(request))
        return AtOutcome::SendFailed;
    Sleep(delays.answer);
    return AtOutcome::Success;
}

// The verdict phase shared by actions and W requests.
enum class Verdict { Ok, Error, Timeout };

Verdict AwaitVerdict(Poller& poller)
{
    while (poller.Next()) {
        if (poller.Has(kOkText))
            return Verdict::Ok;
        if (poller.Has(kCmeErrorText))
            return Verdict::Error;
    }
    return Verdict::Timeout;
}

}  // namespace

AtOutcome RunQuery(const AtQuerySpec& spec, const AtOnAnswer& onAnswer, const AtOnComplete& onComplete)
{
    if (const AtOutcome sent = Request(spec.request, spec.delays); sent != AtOutcome::Success)
        return sent;

    ReadErrorNote readErrors;
    Poller poller(kAtPollLimit, readErrors);
    AtMatch match {};
    bool errorAnswer = false;
    for (;;) {
        if (!poller.Next()) {
            TraceAnswerTimeout(spec.traces, poller);
            return AtOutcome::AnswerTimeout;
        }
        match = poller.Find(spec.answers);
        if (match.answer >= 0)
            break;
        if (spec.errorText && poller.Has(spec.errorText)) {
            errorAnswer = true;
            break;
        }
    }

    const bool okInAnswerChunk = poller.Has(kOkText);
    if (!errorAnswer && onAnswer)
        onAnswer(match);
    if (errorAnswer && okInAnswerChunk)
        return AtOutcome::ErrorAnswer;

    if (!okInAnswerChunk && !poller.NextWithOk()) {
        TraceOut(spec.traces.completion);
        return AtOutcome::CompletionTimeout;
    }
    if (errorAnswer) {
        FinalPurge();
        return AtOutcome::ErrorAnswerLater;
    }
    if (spec.finalPurge == AtFinalPurge::Always
        || (spec.finalPurge == AtFinalPurge::AfterCompletionPhase && !okInAnswerChunk))
        FinalPurge();
    return onComplete ? onComplete() : AtOutcome::Success;
}

AtOutcome RunModeQuery(const AtQuerySpec& spec, const AtOnAnswer& onAnswer)
{
    if (const AtOutcome sent = Request(spec.request, spec.delays); sent != AtOutcome::Success)
        return sent;

    ReadErrorNote readErrors;
    Poller poller(kAtPollLimit, readErrors);
    AtMatch match {};
    for (;;) {
        if (!poller.Next()) {
            TraceAnswerTimeout(spec.traces, poller);
            return AtOutcome::AnswerTimeout;
        }
        match = poller.Find(spec.answers);
        if (match.answer >= 0 || poller.Has(kOkText))
            break;
    }
    const bool okSeen = poller.Has(kOkText);
    onAnswer(match);
    Sleep(kAfterFinalPurgeMs);
    if (!okSeen && !poller.NextWithOk()) {
        TraceOut(spec.traces.completion);
        return AtOutcome::CompletionTimeout;
    }
    return AtOutcome::Success;
}

AtOutcome RunFireAndForget(const char* request, AtDelays delays)
{
    if (const AtOutcome sent = Request(request, delays); sent != AtOutcome::Success)
        return sent;
    Sleep(kAfterFinalPurgeMs);
    SerialPurge(AtPort);
    return AtOutcome::Success;
}

AtOutcome RunActionWithVerdict(const char* request, AtDelays delays, AtTimeoutTraces traces)
{
    if (const AtOutcome sent = Request(request, delays); sent != AtOutcome::Success)
        return sent;

    ReadErrorNote readErrors;
    Poller poller(kAtPollLimit, readErrors);
    switch (AwaitVerdict(poller)) {
    case Verdict::Ok: return AtOutcome::Success;
    case Verdict::Error: return AtOutcome::ErrorAnswer;
    case Verdict::Timeout: break;
    }
    TraceAnswerTimeout(traces, poller);
    return AtOutcome::AnswerTimeout;
}

AtOutcome RunTwoStepWrite(const AtTwoStepSpec& spec, std::string_view secondRequest)
{
    if (AtPort == 0)
        return AtOutcome::NoPort;
    Prepare(spec.beforeFirstPurgeMs, 0);
    if (!Send(spec.firstRequest))
        return AtOutcome::SendFailed;
    Sleep(spec.firstAnswerDelayMs);
    ReadErrorNote readErrors;
    {
        Poller poller(kAtPollLimit, readErrors);
        if (!poller.NextWithOk()) {
            TraceOut(spec.firstTimeoutTrace);
            return AtOutcome::FirstStepTimeout;
        }
    }

    Sleep(kBetweenWriteStepsMs);
    SerialPurge(AtPort);
    if (!Send(secondRequest))
        return AtOutcome::SendFailed;
    Sleep(kWriteAnswerDelayMs);

    Poller poller(kAtPollLimit, readErrors);
    switch (AwaitVerdict(poller)) {
    case Verdict::Ok: return AtOutcome::Success;
    case Verdict::Error: return AtOutcome::ErrorAnswer;
    case Verdict::Timeout: break;
    }
    TraceOut(spec.secondTimeoutTrace);
    return AtOutcome::SecondStepTimeout;
}

AtOutcome RunListen(const std::array<const char*, 2>& answers, int limit, int& heard)
{
    if (AtPort == 0)
        return AtOutcome::NoPort;
    ReadErrorNote readErrors;
    Poller poller(limit, readErrors);
    while (poller.Next()) {
        const AtMatch match = poller.Find(answers);
        if (match.answer >= 0) {
            heard = match.answer;
            return AtOutcome::Success;
        }
    }
    return AtOutcome::Silence;
}
