#include "tools/rurizuda-report/ReportDatabase.h"

#include <cstdlib>

std::string SqlText(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

long long CountOf(const SqlValue& value)
{
    return value ? std::strtoll(value->c_str(), nullptr, 10) : 0;
}
