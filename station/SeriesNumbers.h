#pragma once

#include <optional>
#include <string>
#include <string_view>

// The rules that number a series of units: the IMEI check digit, the next
// IMEI and MAC of a series, and the MAC as the write command carries it.
// Pure functions over texts.

// Characters of an IMEI without its check digit, and with it.
inline constexpr std::size_t kImeiBodyLength = 14;
inline constexpr std::size_t kImeiLength = 15;
// Hex digits of a MAC address.
inline constexpr std::size_t kMacDigitCount = 12;
// Leading characters the add-one rules never change.
inline constexpr std::size_t kSeriesFixedPrefix = 2;

// The Luhn check digit of a 14-digit IMEI body: digits at even positions as
// they are, digits at odd positions doubled with 9 taken off a result above
// 9; the digit that brings the sum to a multiple of ten. Empty when `body`
// is not exactly 14 decimal digits.
std::optional<char> ImeiCheckDigit(std::string_view body);

// `text` with one added in decimal, from its last character back to the
// third: a 9 becomes 0 and carries, any other digit goes up by one and ends
// the rule. A carry out of the third character is dropped, so a series wraps
// instead of touching the first two characters. Empty when the rule meets a
// character that is not a decimal digit.
std::optional<std::string> NextDecimal(std::string_view text);

// `text` upper-cased with one added in hexadecimal, from its last character
// back to the third: an F becomes 0 and carries, a 9 becomes A, any other
// digit goes up by one and ends the rule. Separators (anything that is not a
// hex digit) are passed over unchanged, so "00:1A:2B:3C:4D:FF" becomes
// "00:1A:2B:3C:4E:00". A carry out of the third character is dropped.
std::string NextHex(std::string_view text);

// The hex digits of `text` in order, a to f upper-cased; everything else
// (separators, blanks) removed.
std::string MacDigitsOf(std::string_view text);

// Whether a MAC as the unit reports it (two digits per byte, one separator
// character between bytes) carries exactly the 12 `digits`, letter case
// included. The separators are not compared.
bool ReportedMacMatches(std::string_view reported, std::string_view digits);
