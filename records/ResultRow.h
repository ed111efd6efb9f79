#pragma once

#include <array>
#include <cstddef>
#include <string>

// The columns of SNTable in table order.
enum class Column : size_t {
    Dtime, Ver, ReleaseTime, Sn, PcbaSn, Mac, Imei, Ssid, Sim, Sd, KavoKey, Oled, Led, GsmCalData, TdCalData,
    LteCalData, WcdmaCalData, Wifi, Rssi2g, Rssi3g, Rssi4g, RssiResult, Charger, UsbMode, IsRepair, LockPn,
    IsLockPn, IsLinuxUsbMode,
    Count,
};

inline constexpr size_t kColumnCount = static_cast<size_t>(Column::Count);

// The column names as the files spell them, in table order.
extern const std::array<const char*, kColumnCount> kColumnNames;

inline constexpr const char* kResultTable = "SNTable";

// The statement that creates SNTable in a new result file, exactly as
// readers of the files know it (the double blanks included).
inline constexpr const char* kCreateResultTable =
    "CREATE TABLE SNTable(DTIME VARCHAR(40),VER VARCHAR(60),REALEASETIME VARCHAR(60),SN VARCHAR(30),"
    "PCBASN VARCHAR(30),MAC VARCHAR(30),IMEI VARCHAR(30),SSID VARCHAR(60),SIM VARCHAR(40),SD VARCHAR(40),"
    "KAVOKEY VARCHAR(5),OLED VARCHAR(5),LED VARCHAR(5),GSMCALDATA  VARCHAR(5),TDCALDATA  VARCHAR(5),"
    "LTECALDATA  VARCHAR(5),WCDMACALDATA  VARCHAR(5),WIFI VARCHAR(5),RSSI2G VARCHAR(5),RSSI3G VARCHAR(5),"
    "RSSI4G VARCHAR(5),RSSIRESULT VARCHAR(5),CHARGER VARCHAR(5),USBMODE VARCHAR(5),ISREPAIR VARCHAR(5),"
    "LOCKPN VARCHAR(30),ISLOCKPN VARCHAR(30),ISLINUXUSBMODE VARCHAR(10));";

// The line database's column of the operator's badge, added to SNTable by
// the first store that brings an operator.
inline constexpr const char* kOperatorColumn = "OPERATOR";
inline constexpr int kOperatorColumnLength = 60;

// One row of SNTable: a text per column, "" for a value not obtained.
class ResultRow {
public:
    std::string& operator[](Column column) { return values_[static_cast<size_t>(column)]; }
    const std::string& operator[](Column column) const { return values_[static_cast<size_t>(column)]; }

    // The signed-in operator's badge, "" without sign-in. Not a column of
    // the local files: only the line database keeps it (kOperatorColumn).
    std::string operatorId;

private:
    std::array<std::string, kColumnCount> values_ {};
};

// The identities a stored row may share with a new unit, in the order they
// are tested.
inline constexpr Column kDuplicateKeys[] = {Column::Sn, Column::Mac, Column::Imei, Column::PcbaSn};
