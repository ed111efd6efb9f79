#include "records/LineConnection.h"

#include <libpq-fe.h>

#include <memory>
#include <string_view>

namespace {

struct Default {
    const char* keyword;
    const char* value;
};

constexpr Default kDefaults[] = {
    {"connect_timeout", "5"},
    {"keepalives", "1"},
    {"keepalives_idle", "5"},
    {"keepalives_interval", "2"},
    {"keepalives_count", "3"},
    {"tcp_user_timeout", "10000"},  // ms: unacknowledged data ends the connection
};

bool IsUrl(const std::string& connection)
{
    return connection.starts_with("postgresql://") || connection.starts_with("postgres://");
}

// The keywords the string sets itself, as libpq reads it; nothing when it
// cannot be read.
using Options = std::unique_ptr<PQconninfoOption, decltype(&PQconninfoFree)>;

Options Parse(const std::string& connection)
{
    char* error = nullptr;
    Options options(PQconninfoParse(connection.c_str(), &error), &PQconninfoFree);
    PQfreemem(error);
    return options;
}

bool Names(const PQconninfoOption* options, std::string_view keyword)
{
    for (const PQconninfoOption* option = options; option && option->keyword; ++option) {
        if (keyword == option->keyword)
            return option->val != nullptr;
    }
    return false;
}

}  // namespace

const char* const kLineSessionSettings =
    "SET lock_timeout = '5s'; SET statement_timeout = '5s'; SET tcp_keepalives_idle = 5; "
    "SET tcp_keepalives_interval = 2; SET tcp_keepalives_count = 3; SET tcp_user_timeout = 10000";

std::string WithLineDefaults(const std::string& connection)
{
    const Options options = Parse(connection);
    if (!options)
        return connection;  // the connect says what is wrong with it
    std::string result = connection;
    for (const auto& [keyword, value] : kDefaults) {
        if (Names(options.get(), keyword))
            continue;
        const std::string setting = std::string(keyword) + "=" + value;
        if (IsUrl(result))
            result += (result.find('?') == std::string::npos ? "?" : "&") + setting;
        else
            result += (result.empty() ? "" : " ") + setting;
    }
    return result;
}

std::string ConnectionRefusal(const std::string& connection)
{
    const Options options = Parse(connection);
    if (!options)
        return "the line database URL cannot be read";
    if (Names(options.get(), "password"))
        return "the line database URL holds a password; remove it and put the password in "
               "~/.pgpass or PGPASSWORD";
    return "";
}
