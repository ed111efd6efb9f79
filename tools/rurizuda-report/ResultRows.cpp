#include "tools/rurizuda-report/ResultRows.h"

#include <ctime>

std::vector<std::string> ColumnsOrAll(const std::vector<std::string>& columns)
{
    return columns.empty() ? std::vector<std::string>(kResultColumns.begin(), kResultColumns.end()) : columns;
}

std::string WallTimeText(WallSeconds t)
{
    const std::time_t seconds = static_cast<std::time_t>(t);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

std::string WallDateText(WallSeconds t)
{
    return WallTimeText(t).substr(0, 10);
}

std::optional<WallSeconds> ParseDate(const std::string& text)
{
    std::tm tm{};
    const char* end = strptime(text.c_str(), "%Y-%m-%d", &tm);
    if (!end || *end || text.size() != 10)
        return std::nullopt;
    const auto day = static_cast<WallSeconds>(timegm(&tm));
    if (WallDateText(day) != text)  // 2026-02-30 and the like
        return std::nullopt;
    return day;
}
