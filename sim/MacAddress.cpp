#include "sim/MacAddress.h"

#include <cctype>

namespace sim {

namespace {

constexpr std::size_t kMacDigitCount = 12;
constexpr std::size_t kSeparatedMacLength = 17;

bool IsHexDigit(char c)
{
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

std::optional<std::string> MacFromHexDigits(std::string_view digits)
{
    if (digits.size() != kMacDigitCount)
        return std::nullopt;
    std::string mac;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (!IsHexDigit(digits[i]))
            return std::nullopt;
        if (i > 0 && i % 2 == 0)
            mac.push_back(':');
        mac.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(digits[i]))));
    }
    return mac;
}

std::optional<std::string> ParseMac(std::string_view text)
{
    if (text.size() == kMacDigitCount)
        return MacFromHexDigits(text);
    if (text.size() != kSeparatedMacLength)
        return std::nullopt;
    std::string digits;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool separatorPlace = i % 3 == 2;
        if (separatorPlace) {
            if (text[i] != ':' && text[i] != '-')
                return std::nullopt;
        } else {
            digits.push_back(text[i]);
        }
    }
    return MacFromHexDigits(digits);
}

}  // namespace sim
