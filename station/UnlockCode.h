#pragma once

#include <chrono>
#include <string>

#include "config/StationProfile.h"

class ProgramRunner;

// Time a LOCKCODE_COMMAND program has to print the unlock code.
inline constexpr std::chrono::milliseconds kLockCodeCommandLimit {5000};

inline constexpr const char* kNoImeiMessage = "No IMEI for the unlock code!";
inline constexpr size_t kWholeImeiLength = 15;

// True for a whole IMEI: 15 digits.
bool IsWholeImei(const std::string& imei);

// The code UNLOCK sends, or the warning that says why none can be sent.
struct UnlockCode {
    std::string code;
    std::string refusal;  // "" when `code` can be sent

    bool Refused() const { return !refusal.empty(); }
};

// The rules for the unlock code:
// - LOCKCODE_FROMIMEI_ENABLE off: LOCKPNCODE as configured, possibly empty;
// - on: `imei`, the unit's IMEI as UNLOCK has just read it (refused unless it
//   is a whole IMEI),
//   or, when LOCKCODE_COMMAND names a program, the first line that program
//   prints when run with the IMEI as its only argument. Its code must be
//   letters and digits only; a program that fails, runs too long or prints
//   nothing is refused.
// A code longer than the unlock request carries is refused whatever its source.
UnlockCode ChooseUnlockCode(const StationProfile::LockPnSection& lockPn, const std::string& imei,
                            const ProgramRunner& runner);
