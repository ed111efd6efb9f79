#include "tools/rurizuda-report/ConnectionPassword.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool IsUrl(const std::string& connection)
{
    return connection.rfind("postgresql://", 0) == 0 || connection.rfind("postgres://", 0) == 0;
}

}  // namespace

bool ConnectionHasPassword(const std::string& connection)
{
    const std::string lower = Lower(connection);
    if (IsUrl(lower)) {
        const size_t authority = lower.find("://") + 3;
        const size_t end = lower.find_first_of("/?", authority);
        const std::string hostPart = lower.substr(authority, end == std::string::npos ? std::string::npos : end - authority);
        const size_t at = hostPart.rfind('@');
        if (at != std::string::npos && hostPart.substr(0, at).find(':') != std::string::npos)
            return true;
        const size_t query = lower.find('?');
        if (query == std::string::npos)
            return false;
        const std::string parameters = "&" + lower.substr(query + 1);
        return parameters.find("&password=") != std::string::npos;
    }
    // key = value words: a word "password" followed by '='.
    for (size_t at = lower.find("password"); at != std::string::npos; at = lower.find("password", at + 1)) {
        const bool wordStart = at == 0 || std::isspace(static_cast<unsigned char>(lower[at - 1]));
        size_t next = at + 8;
        while (next < lower.size() && std::isspace(static_cast<unsigned char>(lower[next])))
            ++next;
        if (wordStart && next < lower.size() && lower[next] == '=')
            return true;
    }
    return false;
}
