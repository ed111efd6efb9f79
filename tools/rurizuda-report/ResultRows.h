#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Rows of the result table SNTable, as the report reads them.

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

// One stored row's texts, "" for NULL.
struct ReportRow {
    std::array<std::string, kResultColumns.size()> columns;

    const std::string& Column(size_t index) const { return columns[index]; }
    const std::string& Sn() const { return columns[ColumnIndex("SN")]; }
};

// The columns named, or every column of the table when none is.
std::vector<std::string> ColumnsOrAll(const std::vector<std::string>& columns);

// "YYYY-MM-DD HH:MM:SS" and "YYYY-MM-DD" of a wall time.
std::string WallTimeText(WallSeconds t);
std::string WallDateText(WallSeconds t);

// Reads "YYYY-MM-DD" as the start of that day.
std::optional<WallSeconds> ParseDate(const std::string& text);
