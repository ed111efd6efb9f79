#include "station/UnlockCode.h"

#include <algorithm>

#include "atcmd/Atcmd.h"
#include "station/ProgramRunner.h"

namespace {

// Longest piece of a refused code that the warning quotes.
constexpr std::size_t kQuotedCodeMax = 30;

bool IsLetterOrDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string DurationText(std::chrono::milliseconds limit)
{
    if (limit.count() % 1000 == 0)
        return std::to_string(limit.count() / 1000) + " s";
    return std::to_string(limit.count()) + " ms";
}

// The code as the warning quotes it: cut, control bytes shown as '?'.
std::string Quoted(std::string code)
{
    if (code.size() > kQuotedCodeMax)
        code = code.substr(0, kQuotedCodeMax) + "...";
    std::replace_if(code.begin(), code.end(), [](unsigned char c) { return c < 0x20 || c == 0x7f; }, '?');
    return "\"" + code + "\"";
}

UnlockCode Refusal(const std::string& command, const std::string& why)
{
    return {"", "No unlock code: LOCKCODE_COMMAND " + command + " " + why + "!"};
}

// The code that LOCKCODE_COMMAND prints for the IMEI.
UnlockCode CodeFromCommand(const std::string& command, const std::string& imei, const ProgramRunner& runner)
{
    const ProgramOutcome run = runner.Run({command, imei});
    switch (run.ending) {
    case ProgramOutcome::Ending::NotRun:
        return Refusal(command, "could not be run (" + run.error + ")");
    case ProgramOutcome::Ending::TimedOut:
        return Refusal(command, "did not finish within " + DurationText(runner.Limit()));
    case ProgramOutcome::Ending::Signalled:
        return Refusal(command, "was ended by signal " + std::to_string(run.status));
    case ProgramOutcome::Ending::Exited:
        if (run.status != 0)
            return Refusal(command, "exited with status " + std::to_string(run.status));
        break;
    }
    std::string code = run.output.substr(0, run.output.find('\n'));
    if (!code.empty() && code.back() == '\r')
        code.pop_back();
    if (code.empty())
        return Refusal(command, "printed no code on its first line");
    if (!std::all_of(code.begin(), code.end(), IsLetterOrDigit))
        return Refusal(command, "printed " + Quoted(code) + ", which is not only letters and digits");
    return {code, ""};
}

}  // namespace

bool IsWholeImei(const std::string& imei)
{
    return imei.size() == kWholeImeiLength &&
           std::all_of(imei.begin(), imei.end(), [](char c) { return c >= '0' && c <= '9'; });
}

UnlockCode ChooseUnlockCode(const StationProfile::LockPnSection& lockPn, const std::string& imei,
                            const ProgramRunner& runner)
{
    UnlockCode choice;
    if (!IsOn(lockPn.lockCodeFromImeiEnable))
        choice.code = lockPn.lockPnCode;
    else if (!IsWholeImei(imei))
        return {"", kNoImeiMessage};
    else if (lockPn.lockCodeCommand.empty())
        choice.code = imei;
    else
        choice = CodeFromCommand(lockPn.lockCodeCommand, imei, runner);
    if (!choice.Refused() && choice.code.size() > static_cast<std::size_t>(kUnlockCodeMax)) {
        return {"", "The unlock code has " + std::to_string(choice.code.size()) + " characters; at most "
                        + std::to_string(kUnlockCodeMax) + " can be sent!"};
    }
    return choice;
}
