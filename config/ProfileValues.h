#pragma once

#include <cstddef>
#include <string>

// How the texts of the station profile are interpreted.

inline constexpr const char* kSwitchOnText = "YES";
inline constexpr std::size_t kMinPrefixLength = 5;  // shorter prefixes switch their check off
inline constexpr int kMinDelaySeconds = 0;
inline constexpr int kMaxDelaySeconds = 3600;       // one hour

// A switch is on exactly when its text is "YES": "yes", "Yes", "YESS",
// " YES" and "NO" are all off.
bool IsOn(const std::string& text);

// A numeric switch ([MES] PLAINTEXT_PASSWORD) is on exactly when its text
// is "1": "0", "", "YES" and "01" are all off.
inline constexpr const char* kNumericSwitchOnText = "1";
bool IsNumericSwitchOn(const std::string& text);

// Whether a configured prefix asks for a check: one of fewer than
// kMinPrefixLength characters (the empty prefix included) does not.
bool PrefixCheckEnabled(const std::string& prefix);

// The post-test delay in seconds: the whole number at the start of `text`
// (leading white space skipped, optional sign, digits up to the first
// non-digit; no digits give 0), limited to kMinDelaySeconds..kMaxDelaySeconds.
// Out-of-range numbers saturate instead of overflowing.
int ParseDelaySeconds(const std::string& text);

// [Operator] IDLE_MINUTES: the whole number at the start of `text` (as
// ParseDelaySeconds reads it), at most kMaxIdleMinutes; no number, zero or
// a negative number give kDefaultIdleMinutes.
inline constexpr int kDefaultIdleMinutes = 30;
inline constexpr int kMaxIdleMinutes = 24 * 60;  // one day
int ParseIdleMinutes(const std::string& text);
