#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rows of the result databases (table SNTable of PASS.mdb and FAIL.mdb, SQLite
// files), read for reports.

// The table's columns in table order.
inline constexpr std::array<std::string_view, 28> kResultColumns = {
    "DTIME",      "VER",          "REALEASETIME", "SN",     "PCBASN",     "MAC",     "IMEI",
    "SSID",       "SIM",          "SD",           "KAVOKEY", "OLED",      "LED",     "GSMCALDATA",
    "TDCALDATA",  "LTECALDATA",   "WCDMACALDATA", "WIFI",   "RSSI2G",     "RSSI3G",  "RSSI4G",
    "RSSIRESULT", "CHARGER",      "USBMODE",      "ISREPAIR", "LOCKPN",   "ISLOCKPN", "ISLINUXUSBMODE",
};

// The index of a column in kResultColumns (a compile-time error when unknown).
consteval size_t ColumnIndex(std::string_view name)
{
    for (size_t i = 0; i < kResultColumns.size(); ++i) {
        if (kResultColumns[i] == name)
            return i;
    }
    throw "unknown column";
}

// A store's local time as seconds, counted as if the local clock were UTC:
// days and hours come out as the station's wall clock showed them.
using WallSeconds = int64_t;

struct ResultRow {
    bool passed = false;  // stored in the pass file
    std::array<std::string, kResultColumns.size()> columns;
    std::optional<WallSeconds> time;  // DTIME, when it can be read

    const std::string& Column(size_t index) const { return columns[index]; }
    const std::string& Sn() const { return columns[ColumnIndex("SN")]; }
};

// Reads the ctime text of DTIME ("Mon Dec  7 11:54:32 2026" and its line feed).
std::optional<WallSeconds> ParseStoreTime(const std::string& dtime);

// "YYYY-MM-DD HH:MM:SS" and "YYYY-MM-DD" of a wall time.
std::string WallTimeText(WallSeconds t);
std::string WallDateText(WallSeconds t);

// Reads "YYYY-MM-DD" as the start of that day.
std::optional<WallSeconds> ParseDate(const std::string& text);

struct RowsRead {
    std::vector<ResultRow> rows;  // in the file's order
    bool missing = false;         // the file does not exist: no rows
    std::string error;            // "" when read; else a one-line reason
};

// Reads every row of SNTable from a SQLite file, read-only. `passed` tells
// which file it is.
RowsRead ReadResultRows(const std::string& path, bool passed);

// Rows of both files, merged in store-time order (rows without a readable
// time last, in file order).
std::vector<ResultRow> MergeByTime(std::vector<ResultRow> passRows, std::vector<ResultRow> failRows);

// The rows whose day lies within [from, to] (days, inclusive; either end may
// be open). Rows without a readable time are kept only when both ends are open.
std::vector<ResultRow> RowsInPeriod(const std::vector<ResultRow>& rows, std::optional<WallSeconds> fromDay,
                                    std::optional<WallSeconds> toDay);
