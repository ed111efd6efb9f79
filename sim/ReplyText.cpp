#include "sim/ReplyText.h"

namespace sim::reply {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string Framed(std::string_view line)
{
    std::string text;
    text.reserve(line.size() + 2 * kLineEnd.size());
    text.append(kLineEnd).append(line).append(kLineEnd);
    return text;
}

}  // namespace

std::string Ok()
{
    return Framed("OK");
}

std::string Error()
{
    return Framed("ERROR");
}

std::string CmeError(int code)
{
    return Framed("+CME ERROR: " + std::to_string(code));
}

std::string InfoThenOk(std::string_view line)
{
    return Framed(line) + Ok();
}

std::string Unsolicited(std::string_view line)
{
    return Framed(line);
}

}  // namespace sim::reply
