#include "config/ProfileValues.h"

#include <algorithm>
#include <string_view>

namespace {

// The white space the C library skips before a number.
constexpr std::string_view kLeadingSpace = " \t\n\v\f\r";

// Any magnitude above this is as good as infinite for a delay; stopping the
// accumulation here keeps arbitrarily long digit runs from overflowing.
constexpr long long kMagnitudeCap = 1'000'000'000LL;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The signed number at the start of `text`, with its magnitude capped.
long long LeadingNumber(std::string_view text)
{
    std::size_t pos = text.find_first_not_of(kLeadingSpace);
    if (pos == std::string_view::npos)
        return 0;

    bool negative = false;
    if (text[pos] == '+' || text[pos] == '-') {
        negative = text[pos] == '-';
        ++pos;
    }

    long long magnitude = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos)
        magnitude = std::min(magnitude * 10 + (text[pos] - '0'), kMagnitudeCap);
    return negative ? -magnitude : magnitude;
}

} // namespace

bool IsOn(const std::string& text)
{
    return text == kSwitchOnText;
}

bool IsNumericSwitchOn(const std::string& text)
{
    return text == kNumericSwitchOnText;
}

bool PrefixCheckEnabled(const std::string& prefix)
{
    return prefix.size() >= kMinPrefixLength;
}

int ParseDelaySeconds(const std::string& text)
{
    const long long seconds = std::clamp<long long>(LeadingNumber(text), kMinDelaySeconds, kMaxDelaySeconds);
    return static_cast<int>(seconds);
}

int ParseIdleMinutes(const std::string& text)
{
    const long long minutes = LeadingNumber(text);
    if (minutes <= 0)
        return kDefaultIdleMinutes;
    return static_cast<int>(std::min<long long>(minutes, kMaxIdleMinutes));
}
