#include "tools/rurizuda-report/ReportQueries.h"

#include "tools/rurizuda-report/FailedItems.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

constexpr WallSeconds kSecondsPerHour = 3600;
constexpr WallSeconds kSecondsPerDay = 24 * kSecondsPerHour;
constexpr const char* kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";
constexpr const char* kMonthDigits = "010203040506070809101112";

std::string Part(int from, int length)
{
    return "substr(DTIME," + std::to_string(from) + "," + std::to_string(length) + ")";
}

// The ctime text "Www Mmm dd hh:mm:ss yyyy", then only line ends or blanks.
std::string CtimeShapeSql(const ReportDatabase& db)
{
    std::string sql = "DTIME LIKE '___ ___ __ __:__:__ ____%' AND " + Part(1, 3) +
                      " IN ('Sun','Mon','Tue','Wed','Thu','Fri','Sat')";
    sql += " AND " + db.PositionSql(SqlText(kMonthNames), Part(5, 3)) + " % 3 = 1";
    return sql + " AND rtrim(DTIME, ' ' || " + db.CharSql('\n') + " || " + db.CharSql('\r') + ") = " + Part(1, 24);
}

// The month's two digits: its position in kMonthNames gives the pair in kMonthDigits.
std::string MonthSql(const ReportDatabase& db)
{
    const std::string position = db.PositionSql(SqlText(kMonthNames), Part(5, 3));
    return "substr(" + SqlText(kMonthDigits) + ", (" + position + " + 2) / 3 * 2 - 1, 2)";
}

std::string Bound(WallSeconds t)
{
    return SqlText(WallTimeText(t));
}

std::string TextColumn(size_t index)
{
    return "COALESCE(" + std::string(kResultColumns[index]) + ", '')";
}

}  // namespace

std::string TimedRowsSql(const ReportDatabase& db, const std::string& only, const std::vector<std::string>& columns)
{
    std::vector<std::string> read = columns;
    if (!read.empty() && std::find(read.begin(), read.end(), "DTIME") == read.end())
        read.push_back("DTIME");
    const std::string time = "CASE WHEN " + CtimeShapeSql(db) + " THEN " + Part(21, 4) + " || '-' || " + MonthSql(db) +
                             " || '-' || replace(" + Part(9, 2) + ", ' ', '0') || ' ' || " + Part(12, 8) + " END";
    return "(SELECT s.*, " + time + " AS T FROM (" + db.RowsSelect(read) + ") s" + (only.empty() ? "" : " WHERE " + only) +
           db.FenceSql() + ") timed";
}

std::string StoreKeySql(const ReportDatabase& db)
{
    // The day with a zero for its padding blank, so that "Dec  7" and
    // "Dec 07" are one day and sort before "Dec 10".
    return "CASE WHEN " + CtimeShapeSql(db) + " THEN " + Part(21, 4) + " || (100 + " +
           db.PositionSql(SqlText(kMonthNames), Part(5, 3)) + ") || replace(" + Part(9, 2) + ", ' ', '0') || " +
           Part(11, 9) + " END";
}

std::string StoreKeyOf(WallSeconds t)
{
    const std::string wall = WallTimeText(t);  // YYYY-MM-DD HH:MM:SS
    const int month = std::stoi(wall.substr(5, 2));
    return wall.substr(0, 4) + std::to_string(100 + 3 * (month - 1) + 1) + wall.substr(8);
}

std::optional<WallSeconds> ParseStoreKey(const std::string& key)
{
    if (key.size() < kStoreKeyLength)
        return std::nullopt;
    const int place = std::atoi(key.substr(4, 3).c_str()) - 100;
    if (place < 1 || place > 34 || place % 3 != 1)
        return std::nullopt;
    const int month = (place - 1) / 3 + 1;
    std::string day = key.substr(7, 2);
    if (day[0] == ' ')
        day[0] = '0';
    return ParseWallTime(key.substr(0, 4) + "-" + (month < 10 ? "0" : "") + std::to_string(month) + "-" + day +
                         key.substr(9, 9));
}

std::string InPeriodSql(std::optional<WallSeconds> fromDay, std::optional<WallSeconds> toDay)
{
    std::string sql = "T IS NOT NULL";
    if (fromDay)
        sql += " AND T >= " + Bound(*fromDay);
    if (toDay)
        sql += " AND T < " + Bound(*toDay + kSecondsPerDay);
    return "(" + sql + ")";
}

std::string BeforePeriodEndSql(std::optional<WallSeconds> toDay)
{
    return toDay ? "T < " + Bound(*toDay + kSecondsPerDay) : "1 = 1";
}

std::string ItemFailsSql(size_t itemIndex)
{
    const ItemColumn& item = kItemColumns[itemIndex];
    const std::string value = TextColumn(item.column);
    return "CASE WHEN PASSED = 0 AND " + value + " <> '' AND " + value + " <> " + SqlText(item.pass) +
           " THEN 1 ELSE 0 END";
}

std::string NoItemFailsSql()
{
    std::string sum;
    for (size_t i = 0; i < std::size(kItemColumns); ++i)
        sum += (sum.empty() ? "" : " + ") + ItemFailsSql(i);
    return "CASE WHEN PASSED = 0 AND " + sum + " = 0 THEN 1 ELSE 0 END";
}

std::string StoreHourSql()
{
    return Part(1, 13) + " || substr(DTIME, 20)";
}

std::optional<WallSeconds> ParseStoreHour(const std::string& hour)
{
    std::tm tm {};
    const char* end = strptime(hour.c_str(), "%a %b %d %H %Y", &tm);
    if (!end || hour.size() < 18 || hour[3] != ' ' || hour[7] != ' ' || hour[10] != ' ' || hour[13] != ' ')
        return std::nullopt;
    for (; *end; ++end) {
        if (*end != '\n' && *end != '\r' && *end != ' ')
            return std::nullopt;
    }
    return static_cast<WallSeconds>(timegm(&tm));
}

std::optional<WallSeconds> ParseWallTime(const std::string& text)
{
    if (text.size() < 13)
        return std::nullopt;
    const auto day = ParseDate(text.substr(0, 10));
    if (!day || text[10] != ' ' || !std::isdigit(static_cast<unsigned char>(text[11])) ||
        !std::isdigit(static_cast<unsigned char>(text[12])))
        return std::nullopt;
    const int hour = std::stoi(text.substr(11, 2));
    if (hour > 23)
        return std::nullopt;
    WallSeconds t = *day + hour * kSecondsPerHour;
    if (text.size() >= 19) {
        const std::string minutes = text.substr(14, 2), seconds = text.substr(17, 2);
        if (text[13] != ':' || text[16] != ':' || !std::isdigit(static_cast<unsigned char>(minutes[0])) ||
            !std::isdigit(static_cast<unsigned char>(minutes[1])) ||
            !std::isdigit(static_cast<unsigned char>(seconds[0])) || !std::isdigit(static_cast<unsigned char>(seconds[1])))
            return std::nullopt;
        t += std::stoi(minutes) * 60 + std::stoi(seconds);
    }
    return t;
}
