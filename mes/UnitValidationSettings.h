#pragma once

#include <chrono>
#include <string>

#include "mes/MesEndpoint.h"
#include "mes/UnitValidator.h"

// The [MES] keys of the unit validation as the station reads them.
struct UnitValidationTexts {
    std::string validate;         // VALIDATE: "1" on
    std::string validator;        // VALIDATOR: the MES's request queue
    std::string validateTimeout;  // VALIDATE_TIMEOUT: whole seconds
    std::string onNoAnswer;       // ON_NO_ANSWER: "block" or "allow"
};

// What the station does when the MES gave no answer.
enum class OnNoAnswer { Block, Allow };

inline constexpr std::chrono::seconds kDefaultValidateTimeout {5};
inline constexpr std::chrono::seconds kMaxValidateTimeout {60};
inline constexpr const char* kAllowWithoutAnswer = "allow";

struct UnitValidationSettings {
    bool on = false;
    UnitValidatorSettings requester;
    OnNoAnswer onNoAnswer = OnNoAnswer::Block;
};

// The validation of the station at `positionNumber` with the broker and
// handle of `mes`. Settings that cannot be used leave it on, with no
// endpoint and the reason: every unit then meets "no answer". A time-out
// that is not a whole number of 1 to 60 seconds is the default's; any
// ON_NO_ANSWER but "allow" blocks.
UnitValidationSettings ResolveUnitValidation(const MesSettings& mes, const UnitValidationTexts& texts,
                                             int positionNumber);
