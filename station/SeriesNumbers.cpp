#include "station/SeriesNumbers.h"

#include <algorithm>

namespace {

bool IsDecimal(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHex(char c)
{
    return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char UpperHex(char c)
{
    return (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Characters per byte of a reported MAC: two digits and a separator.
constexpr std::size_t kReportedByteStep = 3;

}  // namespace

std::optional<char> ImeiCheckDigit(std::string_view body)
{
    if (body.size() != kImeiBodyLength || !std::all_of(body.begin(), body.end(), IsDecimal))
        return std::nullopt;
    int sum = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        int digit = body[i] - '0';
        if (i % 2 == 1) {
            digit *= 2;
            if (digit > 9)
                digit -= 9;
        }
        sum += digit;
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

std::optional<std::string> NextDecimal(std::string_view text)
{
    std::string next(text);
    for (std::size_t i = next.size(); i-- > kSeriesFixedPrefix;) {
        char& c = next[i];
        if (!IsDecimal(c))
            return std::nullopt;
        if (c != '9') {
            ++c;
            return next;
        }
        c = '0';
    }
    return next;
}

std::string NextHex(std::string_view text)
{
    std::string next(text);
    std::transform(next.begin(), next.end(), next.begin(), UpperHex);
    for (std::size_t i = next.size(); i-- > kSeriesFixedPrefix;) {
        char& c = next[i];
        if (!IsHex(c))
            continue;
        if (c == 'F') {
            c = '0';
            continue;
        }
        c = c == '9' ? 'A' : static_cast<char>(c + 1);
        break;
    }
    return next;
}

std::string MacDigitsOf(std::string_view text)
{
    std::string digits;
    for (char c : text) {
        if (IsHex(c))
            digits += UpperHex(c);
    }
    return digits;
}

bool ReportedMacMatches(std::string_view reported, std::string_view digits)
{
    if (digits.size() != kMacDigitCount)
        return false;
    for (std::size_t byte = 0; byte < kMacDigitCount / 2; ++byte) {
        const std::size_t at = byte * kReportedByteStep;
        if (at + 1 >= reported.size() || reported[at] != digits[2 * byte] || reported[at + 1] != digits[2 * byte + 1])
            return false;
    }
    return true;
}
