#pragma once

#include <cstdlib>
#include <random>

// The seed of a random fault test: RURIZUDA_FAULT_SEED when set (to repeat
// a run), else a fresh one. Tests print it.
inline constexpr const char* kSeedVariable = "RURIZUDA_FAULT_SEED";

inline unsigned FaultSeed()
{
    if (const char* text = std::getenv(kSeedVariable))
        return static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    return std::random_device {}();
}
