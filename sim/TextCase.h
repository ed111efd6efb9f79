#pragma once

#include <string>
#include <string_view>

namespace sim {

// ASCII-only case helpers; AT command names are matched without regard to case.
std::string ToUpperAscii(std::string_view text);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace sim
