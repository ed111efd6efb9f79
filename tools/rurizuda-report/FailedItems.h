#pragma once

#include <string>
#include <vector>

#include "tools/rurizuda-report/ResultRows.h"

// Which stored result column belongs to which item of the station, and the
// texts that show the item failed. A column left "" means the item did not run.
struct ItemColumn {
    size_t column;     // index in kResultColumns
    const char* item;  // the item's name on the station
    const char* pass;  // the one text that passes; any other non-empty text fails
};

inline constexpr ItemColumn kItemColumns[] = {
    {ColumnIndex("SIM"), "READ SIM", "SIM inserted"},
    {ColumnIndex("SD"), "READ SD", "SD inserted"},
    {ColumnIndex("KAVOKEY"), "KEY TEST", "PASS"},
    {ColumnIndex("OLED"), "OLED", "PASS"},
    {ColumnIndex("LED"), "LED", "PASS"},
    {ColumnIndex("GSMCALDATA"), "GSM RF CAL", "PASS"},
    {ColumnIndex("TDCALDATA"), "TD RF CAL", "PASS"},
    {ColumnIndex("LTECALDATA"), "LTE RF CAL", "PASS"},
    {ColumnIndex("WCDMACALDATA"), "WCDMA RF CAL", "PASS"},
    {ColumnIndex("WIFI"), "WIFI STATUS", "PASS"},
    {ColumnIndex("RSSIRESULT"), "RSSI CHECK", "PASS"},
    {ColumnIndex("CHARGER"), "CHARGING", "PASS"},
    {ColumnIndex("USBMODE"), "LINUX USB MODE", "PASS"},
    {ColumnIndex("LOCKPN"), "LOCK PN", "LOCK SUCCESS"},
    {ColumnIndex("ISLOCKPN"), "READ PN", "PASS"},
    {ColumnIndex("ISLINUXUSBMODE"), "READ USBMODE", "PASS"},
};

// The items that failed in a row, in the order of kItemColumns.
std::vector<std::string> FailedItems(const ReportRow& row);
