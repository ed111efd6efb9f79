#pragma once

#include <string>
#include <string_view>

namespace sim::reply {

// The unit frames every reply line with CR LF before and after it and puts
// an empty line between an information line and its final "OK".

// "\r\nOK\r\n"
std::string Ok();
// "\r\nERROR\r\n"
std::string Error();
// "\r\n+CME ERROR: <code>\r\n"
std::string CmeError(int code);
// "\r\n<line>\r\n\r\nOK\r\n"
std::string InfoThenOk(std::string_view line);
// "\r\n<line>\r\n", for a line the unit sends on its own.
std::string Unsolicited(std::string_view line);

}  // namespace sim::reply
