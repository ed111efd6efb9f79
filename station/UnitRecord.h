#pragma once

#include <string>

// The values of the unit under test; "" means not obtained. Capacities of
// the stored columns are in the result database.
struct UnitRecord {
    std::string lockResult;
    std::string unlockResult;
    std::string lockState;
    std::string version;
    std::string releaseDate;
    std::string sn;
    std::string pcbaSn;
    std::string imei;
    std::string mac;
    std::string ssid;
    std::string simText;
    std::string sdText;
    std::string oledResult;
    std::string keyResult;
    std::string gsmCalResult;
    std::string tdCalResult;
    std::string lteCalResult;
    std::string wcdmaCalResult;
    std::string wifiResult;
    std::string ledResult;
    std::string rssi2g;
    std::string rssi3g;
    std::string rssi4g;
    std::string rssiResult;
    std::string chargerResult;
    std::string linuxUsbModeResult;
    std::string usbMode;  // the USB-mode digit read back, one character
    std::string usbModeConfirmation;
    std::string lockConfirmation;
};

// What the operator scanned, as copied by the checks; not stored.
struct ScannedValues {
    std::string imei;
    std::string mac;
    std::string sn;
    std::string pcbaSn;
};

// Outcomes of the last identity checks: 1 passed or not run since the unit
// values were cleared, 0 failed.
struct CheckOutcomes {
    int imeiCheckOk = 1;
    int macCheckOk = 1;
    int snCheckOk = 1;
    int pcbaSnCheckOk = 1;
};

inline constexpr const char* kPass = "PASS";
inline constexpr const char* kFail = "FAIL";
