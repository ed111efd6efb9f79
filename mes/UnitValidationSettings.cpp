#include "mes/UnitValidationSettings.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* kSwitchOn = "1";
constexpr const char* kNoValidator =
    "[MES] VALIDATOR is empty: name the MES's request queue, e.g. /queue/cfx.validation";

std::chrono::seconds Timeout(const std::string& text)
{
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }))
        return kDefaultValidateTimeout;
    const std::chrono::seconds timeout {std::stoi(text)};
    return timeout >= std::chrono::seconds {1} && timeout <= kMaxValidateTimeout ? timeout : kDefaultValidateTimeout;
}

}  // namespace

UnitValidationSettings ResolveUnitValidation(const MesSettings& mes, const UnitValidationTexts& texts,
                                             int positionNumber)
{
    UnitValidationSettings settings;
    settings.on = texts.validate == kSwitchOn;
    if (!settings.on)
        return settings;
    settings.onNoAnswer = texts.onNoAnswer == kAllowWithoutAnswer ? OnNoAnswer::Allow : OnNoAnswer::Block;
    settings.requester.timeout = Timeout(texts.validateTimeout);
    // The station's own answers' queue: one per station and slot, so a late
    // answer waits there for the next request, which drops it.
    settings.requester.replyAddress =
        "/queue/" + mes.handle + ".validation-answers." + std::to_string(positionNumber);
    if (texts.validator.empty()) {
        settings.requester.unusable = kNoValidator;
        return settings;
    }
    MesSettings toValidator = mes;
    toValidator.address = texts.validator;
    settings.requester.endpoint = ResolveMesEndpoint(toValidator, &settings.requester.unusable);
    return settings;
}
