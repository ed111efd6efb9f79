#include "records/ResultRow.h"

const std::array<const char*, kColumnCount> kColumnNames = {
    "DTIME", "VER", "REALEASETIME", "SN", "PCBASN", "MAC", "IMEI", "SSID", "SIM", "SD", "KAVOKEY", "OLED", "LED",
    "GSMCALDATA", "TDCALDATA", "LTECALDATA", "WCDMACALDATA", "WIFI", "RSSI2G", "RSSI3G", "RSSI4G", "RSSIRESULT",
    "CHARGER", "USBMODE", "ISREPAIR", "LOCKPN", "ISLOCKPN", "ISLINUXUSBMODE",
};
