#include "sim/UnitSimulator.h"

#include "sim/TextCase.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace sim {

namespace {

constexpr std::string_view kAttention = "AT";
constexpr std::string_view kLineEnd = "\r\n";

std::optional<std::string_view> RequestOf(std::string_view line)
{
    if (!StartsWithNoCase(line, kAttention))
        return std::nullopt;
    return line.substr(kAttention.size());
}

}  // namespace

UnitSimulator::UnitSimulator(UnitState state, SimOptions options)
    : state_(std::move(state))
    , options_(std::move(options))
    , commands_(options_.separateReadGapMs)
{
}

std::vector<TimedWrite> UnitSimulator::Receive(std::string_view bytes)
{
    std::vector<TimedWrite> writes;
    for (const std::string& line : lines_.Feed(bytes)) {
        const std::optional<std::string_view> request = RequestOf(line);
        if (!request)
            continue;
        requests_.emplace_back(*request);
        for (TimedWrite& write : AnswerLine(*request))
            writes.push_back(std::move(write));
    }
    // Several lines in one piece each answer from now; keep them in due order.
    std::stable_sort(writes.begin(), writes.end(),
                     [](const TimedWrite& a, const TimedWrite& b) { return a.delayMs < b.delayMs; });
    return writes;
}

std::vector<TimedWrite> UnitSimulator::AnswerLine(std::string_view request)
{
    std::vector<TimedWrite> writes;
    if (options_.echo)
        writes.push_back({0, std::string(kAttention) + std::string(request) + std::string(kLineEnd)});

    const CommandFault fault = options_.faults.Lookup(request);
    Answer answer = fault.errorAnswer ? Answer {TimedWrite {0, commands_.Refuse(request)}}
                                      : commands_.Handle(state_, request);
    if (fault.noAnswer)
        return writes;
    if (fault.splitAt)
        answer = SplitFirstWrite(std::move(answer), *fault.splitAt);

    const int answerDelayMs = options_.answerDelayMs + fault.extraDelayMs;
    for (TimedWrite& write : answer)
        writes.push_back({answerDelayMs + write.delayMs, std::move(write.bytes)});
    return writes;
}

Answer UnitSimulator::SplitFirstWrite(Answer answer, std::size_t offset) const
{
    if (answer.empty() || offset == 0 || offset >= answer.front().bytes.size())
        return answer;
    Answer split;
    TimedWrite& first = answer.front();
    split.push_back({first.delayMs, first.bytes.substr(0, offset)});
    split.push_back({first.delayMs + options_.separateReadGapMs, first.bytes.substr(offset)});
    // Whatever followed keeps its place behind the second part.
    for (std::size_t i = 1; i < answer.size(); ++i)
        split.push_back({answer[i].delayMs + options_.separateReadGapMs, std::move(answer[i].bytes)});
    return split;
}

}  // namespace sim
