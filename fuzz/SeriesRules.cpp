// The numbering rules of the identity writes on any text: the IMEI check
// digit, the decimal and hexadecimal add-one rules and the MAC digits never
// read or write out of bounds, and keep their promises about length and the
// two fixed leading characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "station/SeriesNumbers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (const auto digit = ImeiCheckDigit(text); digit && (*digit < '0' || *digit > '9'))
        std::abort();
    if (const auto next = NextDecimal(text);
        next && (next->size() != text.size() || next->compare(0, kSeriesFixedPrefix, text, 0, kSeriesFixedPrefix) != 0))
        std::abort();
    if (NextHex(text).size() != text.size())
        std::abort();
    const std::string digits = MacDigitsOf(text);
    if (digits.size() > text.size())
        std::abort();
    ReportedMacMatches(text, digits);
    return 0;
}
