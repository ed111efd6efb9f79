#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// RF calibration data files the unit can be asked about.
enum class CalFile { Gsm, Td, Lte, RfAnalysis, RfCalibration };
inline constexpr std::size_t kCalFileCount = 5;

// Commands that would take the unit away from the station.
enum class UnitEvent { PowerOff, Reset, Restore };

// Time from the key test's start until the unit reports the key press.
inline constexpr int kDefaultKeyReportDelayMs = 1500;

// Everything the simulated unit knows about itself, plus what it has been
// told to do. Tests change it freely between requests.
struct UnitState {
    // Identities.
    std::string imei = "867400012345678";
    std::string mac = "a4:5e:60:c1:22:9f";  // six lower-case hex pairs, colon separated
    bool macUpperCase = false;              // report the MAC in upper case
    std::string version = "RZ_V1.2.2_B05";
    std::string releaseTime = "2026-10-14 10:31:07";
    bool versionInTwoWrites = false;  // release_time line comes in a later write
    std::string sn = "RZ26A0145871";
    bool snError = false;  // answer the SN query with "*CME ERROR:"
    std::string pcbaSn = "PB26A0145871";
    bool pcbaSnError = false;  // answer the PCBA SN query with "*CME ERROR:"
    std::string ssid = "RURIZUDA-229F";

    // Status and built-in checks. Digits are reported as they are, so a test
    // may put any character there to get an odd answer.
    bool simPresent = true;
    char sdStateDigit = '0';    // 0 inserted, 1 not FAT32, 2 unreadable, 3 absent
    char wifiStateDigit = '1';  // 1 on, 0 or 2 off
    bool chargerConnected = true;
    std::array<std::string, 6> cesq {"63", "0", "", "", "20", "45"};
    std::array<bool, kCalFileCount> calFilePresent {true, true, true, true, true};
    char usbModeDigit = '0';
    bool usbModeWithoutPrefix = false;  // answer the USB mode query with a bare OK
    bool pnLocked = false;
    std::optional<char> pnStateDigit;  // when set, reported instead of the lock state
    std::string unlockCode = "12345678";
    char keyReportDigit = '0';  // 0 key pressed, 2 key test failed
    int keyReportDelayMs = kDefaultKeyReportDelayMs;
    bool withholdDAnswers = false;  // ignore the first step of two-step writes

    // What the unit has been told.
    std::vector<UnitEvent> events;
    bool lcdLit = false;
    bool ledsAllOn = false;
    bool keyTestRunning = false;
};

}  // namespace sim
