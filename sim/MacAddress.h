#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sim {

// MAC addresses as the unit keeps them: six lower-case hex pairs joined by
// colons, e.g. "a4:5e:60:c1:22:9f".

// From exactly 12 hex digits (any case, no separators), as the MAC write
// carries them. Empty when the text is anything else.
std::optional<std::string> MacFromHexDigits(std::string_view digits);

// From 12 hex digits or six pairs separated by ':' or '-'.
std::optional<std::string> ParseMac(std::string_view text);

}  // namespace sim
