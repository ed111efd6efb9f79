#include "tools/rurizuda-report/StoreTimeReader.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "tools/rurizuda-report/ReportQueries.h"

namespace {

constexpr size_t kCtimeChars = 24;  // "Www Mmm dd hh:mm:ss yyyy"
constexpr std::string_view kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::string_view kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr std::string_view kMonthDigits = "010203040506070809101112";
// More distinct hour texts than this (only texts that are no time vary so
// much) and the kept answers are dropped.
constexpr size_t kMostKeptHours = 65536;

// Byte offsets of the first characters of a text as SQLite's substr() and
// LIKE count them: a byte from 0xC0 up starts a character that takes the
// continuation bytes after it. offsets[n] is where character n begins (or the
// text's end); `count` is how many characters there are, up to kCtimeChars + 1.
struct CharOffsets {
    std::array<size_t, kCtimeChars + 2> at {};
    size_t count = 0;

    explicit CharOffsets(std::string_view text)
    {
        size_t i = 0;
        while (count <= kCtimeChars && i < text.size()) {
            at[count++] = i;
            if (static_cast<unsigned char>(text[i++]) >= 0xC0) {
                while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
                    ++i;
            }
        }
        for (size_t n = count; n < at.size(); ++n)
            at[n] = i;
    }
    // substr(text, from + 1, length) for characters within the first 25.
    std::string_view Part(std::string_view text, size_t from, size_t length) const
    {
        return text.substr(at[from], at[from + length] - at[from]);
    }
};

bool IsChar(std::string_view text, const CharOffsets& chars, size_t n, char c)
{
    return chars.at[n + 1] - chars.at[n] == 1 && text[chars.at[n]] == c;
}

// The symbols a packed key holds in its free places, in byte order.
int Rank(char c)
{
    if (c == ' ')
        return 0;
    if (c >= '0' && c <= '9')
        return c - '0' + 1;
    return -1;
}
constexpr uint64_t kSymbols = 11;
constexpr uint64_t kMonthPlaces = 100;
constexpr UnitKey kOdd = uint64_t {1} << 63;
// Key places packed: the year, then the month's place, then the rest.
constexpr size_t kYearPlaces[] = {0, 1, 2, 3};
constexpr size_t kTailPlaces[] = {7, 8, 10, 11, 13, 14, 16, 17};
// The packed value past the hour (minutes, seconds and flag).
constexpr uint64_t kPastHour = kSymbols * kSymbols * kSymbols * kSymbols * 2;
// A key's length and fixed places: "YYYY" "1" "NN" "dd hh:mm:ss".
constexpr size_t kKeyLength = 18;
constexpr std::pair<size_t, char> kKeyFixed[] = {{4, '1'}, {9, ' '}, {12, ':'}, {15, ':'}};

// Where the seconds' digits stand in a DTIME of ASCII characters.
constexpr size_t kSecondsAt = 17;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// True when `dtime` equals `before` but for two digits where its seconds
// stand, all characters up to them ASCII: both read alike but for those.
bool SameButSeconds(std::string_view before, std::string_view dtime)
{
    if (dtime.size() != before.size() || dtime.size() < kSecondsAt + 2)
        return false;
    for (size_t i = 0; i < kSecondsAt; ++i) {
        if (dtime[i] != before[i] || static_cast<unsigned char>(dtime[i]) >= 0x80)
            return false;
    }
    return IsDigit(dtime[kSecondsAt]) && IsDigit(dtime[kSecondsAt + 1]) && IsDigit(before[kSecondsAt]) &&
           IsDigit(before[kSecondsAt + 1]) &&
           dtime.substr(kSecondsAt + 2) == before.substr(kSecondsAt + 2);
}

bool ReadFullCtimeText(std::string_view dtime, CtimeText* text);

}  // namespace

bool ReadCtimeText(std::string_view dtime, CtimeText* text)
{
    if (SameButSeconds(text->from, dtime)) {
        // The key and T both end with the seconds.
        text->from.replace(kSecondsAt, 2, dtime.substr(kSecondsAt, 2));
        if (text->shaped) {
            text->key.replace(text->key.size() - 2, 2, dtime.substr(kSecondsAt, 2));
            text->t.replace(text->t.size() - 2, 2, dtime.substr(kSecondsAt, 2));
        }
        return text->shaped;
    }
    text->from.assign(dtime);
    text->shaped = ReadFullCtimeText(dtime, text);
    return text->shaped;
}

namespace {

bool ReadFullCtimeText(std::string_view dtime, CtimeText* text)
{
    const CharOffsets chars(dtime);
    if (chars.count < kCtimeChars)
        return false;
    // LIKE '___ ___ __ __:__:__ ____%' (LIKE reads a text up to a NUL).
    if (std::memchr(dtime.data(), '\0', chars.at[kCtimeChars]) != nullptr)
        return false;
    for (size_t n : {3, 7, 10, 19}) {
        if (!IsChar(dtime, chars, n, ' '))
            return false;
    }
    if (!IsChar(dtime, chars, 13, ':') || !IsChar(dtime, chars, 16, ':'))
        return false;
    const std::string_view day = chars.Part(dtime, 0, 3);
    bool knownDay = false;
    for (auto name : kDayNames)
        knownDay = knownDay || day == name;
    if (!knownDay)
        return false;
    const size_t found = kMonthNames.find(chars.Part(dtime, 4, 3));
    if (found == std::string_view::npos || (found + 1) % 3 != 1)
        return false;
    // rtrim(DTIME, ' ' || CR || LF) = substr(DTIME, 1, 24)
    size_t end = dtime.size();
    while (end > 0 && (dtime[end - 1] == ' ' || dtime[end - 1] == '\n' || dtime[end - 1] == '\r'))
        --end;
    if (end != chars.at[kCtimeChars])
        return false;
    const size_t place = found + 1;
    const std::string_view year = chars.Part(dtime, 20, 4);
    // 100 + the place: "101" .. "134"
    const char placeText[] = {'1', static_cast<char>('0' + place / 10), static_cast<char>('0' + place % 10)};
    // The day's padding blank reads as a zero: "Dec  7" and "Dec 07" are one day.
    text->key.assign(year).append(placeText, 3);
    const size_t dayFrom = text->key.size();
    text->key.append(chars.Part(dtime, 8, 2));
    std::replace(text->key.begin() + static_cast<std::ptrdiff_t>(dayFrom), text->key.end(), ' ', '0');
    text->key.append(chars.Part(dtime, 10, 9));
    const size_t month = (place + 2) / 3 * 2 - 2;
    text->t.assign(year).append("-").append(kMonthDigits.substr(month, 2)).append("-");
    const size_t dayAt = text->t.size();
    text->t.append(chars.Part(dtime, 8, 2));
    for (size_t i = dayAt; i < text->t.size(); ++i) {
        if (text->t[i] == ' ')
            text->t[i] = '0';
    }
    text->t.append(" ").append(chars.Part(dtime, 11, 8));
    return true;
}

}  // namespace

std::optional<WallSeconds> StoreHourReader::HourOf(std::string_view dtime)
{
    // substr(DTIME, 1, 13) || substr(DTIME, 20)
    const CharOffsets chars(dtime);
    text_.assign(chars.Part(dtime, 0, 13));
    if (chars.count > 19)
        text_.append(dtime.substr(chars.at[19]));
    if (haveLast_ && text_ == lastText_)
        return last_;
    auto found = seen_.find(text_);
    if (found == seen_.end()) {
        if (seen_.size() >= kMostKeptHours)
            seen_.clear();
        found = seen_.emplace(text_, ParseStoreHour(text_)).first;
    }
    lastText_ = text_;
    last_ = found->second;
    haveLast_ = true;
    return last_;
}

std::optional<uint64_t> UnitKeyCodec::Pack(const std::string& key)
{
    bool packable = key.size() == kKeyLength && key[5] >= '0' && key[5] <= '9' && key[6] >= '0' && key[6] <= '9';
    for (const auto& [place, c] : kKeyFixed)
        packable = packable && key[place] == c;
    uint64_t code = 0;
    for (size_t i : kYearPlaces) {
        packable = packable && Rank(key[i]) >= 0;
        code = packable ? code * kSymbols + static_cast<uint64_t>(Rank(key[i])) : 0;
    }
    code = code * kMonthPlaces + (packable ? static_cast<uint64_t>((key[5] - '0') * 10 + (key[6] - '0')) : 0);
    for (size_t i : kTailPlaces) {
        packable = packable && Rank(key[i]) >= 0;
        code = packable ? code * kSymbols + static_cast<uint64_t>(Rank(key[i])) : 0;
    }
    if (!packable)
        return std::nullopt;
    return code;
}

UnitKey UnitKeyCodec::Encode(const std::string& key, bool failed)
{
    if (const auto packed = Pack(key))
        return *packed * 2 + (failed ? 1 : 0);
    odd_.push_back(key + (failed ? "1" : "0") + station_);
    return kOdd | ((odd_.size() - 1) << 1) | (failed ? 1 : 0);
}

std::string UnitKeyCodec::Text(UnitKey key) const
{
    if (key & kOdd)
        return odd_[(key & ~kOdd) >> 1];
    std::string text(kKeyLength, ' ');
    for (const auto& [place, c] : kKeyFixed)
        text[place] = c;
    uint64_t code = key >> 1;
    constexpr char kSymbolChars[] = " 0123456789";
    for (size_t n = std::size(kTailPlaces); n-- > 0;) {
        text[kTailPlaces[n]] = kSymbolChars[code % kSymbols];
        code /= kSymbols;
    }
    const uint64_t month = code % kMonthPlaces;
    code /= kMonthPlaces;
    text[5] = static_cast<char>('0' + month / 10);
    text[6] = static_cast<char>('0' + month % 10);
    for (size_t n = std::size(kYearPlaces); n-- > 0;) {
        text[kYearPlaces[n]] = kSymbolChars[code % kSymbols];
        code /= kSymbols;
    }
    return text + ((key & 1) ? "1" : "0") + station_;
}

bool UnitKeyCodec::Less(UnitKey a, UnitKey b) const
{
    if (((a | b) & kOdd) == 0)
        return a < b;
    return Text(a) < Text(b);
}

KeyBound UnitKeyCodec::Bound(const std::string& text)
{
    return {text, Pack(text)};
}

int UnitKeyCodec::CompareToBound(UnitKey key, const KeyBound& bound) const
{
    // A key equal to the bound is longer by its flag and station: greater.
    if (!(key & kOdd) && bound.packed)
        return (key >> 1) < *bound.packed ? -1 : 1;
    return Text(key).compare(bound.text);
}

std::optional<WallSeconds> UnitKeyCodec::Hour(UnitKey key)
{
    // substr(f, 1, 12) read as the hour by ParseStoreKey
    if (key & kOdd)
        return ParseStoreKey(Text(key).substr(0, 12) + ":00:00");
    const uint64_t prefix = (key >> 1) / (kPastHour / 2);
    const auto found = hours_.find(prefix);
    if (found != hours_.end())
        return found->second;
    const auto hour = ParseStoreKey(Text(key).substr(0, 12) + ":00:00");
    hours_.emplace(prefix, hour);
    return hour;
}

void UnitKeyCodec::Clear()
{
    odd_.clear();
    hours_.clear();
}
