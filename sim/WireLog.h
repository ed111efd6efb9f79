#pragma once

#include <string>
#include <string_view>

namespace sim {

// Bytes as one printable line: CR, LF, TAB and backslash as \r, \n, \t and
// \\, other control bytes as \xNN.
std::string EscapeForLog(std::string_view bytes);

}  // namespace sim
