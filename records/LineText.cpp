#include "records/LineText.h"

namespace {

// The length of the UTF-8 sequence that starts with `lead`; 0 when `lead`
// cannot start one.
size_t SequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The length of the well-formed sequence at `at`, 0 when there is none.
size_t WellFormedAt(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const size_t length = SequenceLength(byte(at));
    if (length == 0 || at + length > text.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and code points above U+10FFFF.
    const unsigned char lead = byte(at);
    const unsigned char second = length > 1 ? byte(at + 1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) || (lead == 0xF0 && second < 0x90) ||
        (lead == 0xF4 && second > 0x8F))
        return 0;
    return length;
}

// True when `text` is well-formed UTF-8.
bool IsUtf8(const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t length = WellFormedAt(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

}  // namespace

std::string LineText(const std::string& bytes)
{
    if (IsUtf8(bytes))
        return bytes;
    std::string text;
    text.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::string CutAtCharacter(const std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return text;
    if (!IsUtf8(text))
        return text.substr(0, limit);
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}
