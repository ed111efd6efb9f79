#include "tools/rurizuda-at/ToolCommands.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "atcmd/Atcmd.h"

namespace {

// Output buffers are zero-filled and larger than any value a command writes.
constexpr size_t kBufferSize = 128;

struct Buffer {
    char text[kBufferSize] = {};
    std::string Value() const { return std::string(text, strnlen(text, sizeof text)); }
};

ToolRun One(int result, const char* name, const Buffer& b)
{
    return {result, {{name, b.Value()}}};
}

template <int (*Read)(char*)>
ToolRun ReadOne(const char* name)
{
    Buffer b;
    return One(Read(b.text), name, b);
}

std::optional<std::string> NoCheck(const std::string&)
{
    return std::nullopt;
}

const std::map<std::string, CalFile> kCalFiles {
    {"gsm", CalFile::Gsm},
    {"td", CalFile::Td},
    {"lte", CalFile::Lte},
    {"rf-analysis", CalFile::RfAnalysis},
    {"rf-calibration", CalFile::RfCalibration},
};

std::optional<std::string> CheckCalFile(const std::string& value)
{
    if (kCalFiles.count(value))
        return std::nullopt;
    return "VALUE must be gsm, td, lte, rf-analysis or rf-calibration";
}

std::optional<std::string> CheckUsbMode(const std::string& value)
{
    if (value == "0" || value == "2" || value == "4" || value == "5")
        return std::nullopt;
    return "VALUE must be 0, 2, 4 or 5";
}

ToolRun Status(int result)
{
    return {result, {}};
}

const std::vector<ToolCommand> kCommands {
    {"read-imei", nullptr, "read the IMEI", NoCheck, [](const std::string&) { return ReadOne<AtReadImei>("imei"); }},
    {"read-mac", nullptr, "read the Wi-Fi MAC address", NoCheck,
     [](const std::string&) { return ReadOne<AtReadMac>("mac"); }},
    {"read-version", nullptr, "read the firmware version and release time", NoCheck,
     [](const std::string&) {
         Buffer version, time;
         const int result = AtReadVersion(version.text, time.text);
         return ToolRun {result, {{"version", version.Value()}, {"release_time", time.Value()}}};
     }},
    {"read-sn", nullptr, "read the serial number", NoCheck, [](const std::string&) { return ReadOne<AtReadSn>("sn"); }},
    {"read-ssid", nullptr, "read the Wi-Fi SSID", NoCheck,
     [](const std::string&) { return ReadOne<AtReadSsid>("ssid"); }},
    {"read-pcba-sn", nullptr, "read the PCBA serial number", NoCheck,
     [](const std::string&) { return ReadOne<AtReadPcbaSn>("pcba_sn"); }},
    {"read-rssi", nullptr, "read the 2G, 3G and 4G signal fields", NoCheck,
     [](const std::string&) {
         Buffer g2, g3, g4;
         const int result = AtReadRssi(g2.text, g3.text, g4.text);
         return ToolRun {result, {{"rssi_2g", g2.Value()}, {"rssi_3g", g3.Value()}, {"rssi_4g", g4.Value()}}};
     }},
    {"detect-sim", nullptr, "detect the SIM card", NoCheck,
     [](const std::string&) { return ReadOne<AtDetectSim>("sim"); }},
    {"read-sd", nullptr, "read the SD card state", NoCheck,
     [](const std::string&) { return ReadOne<AtReadSdCard>("sd"); }},
    {"read-wifi", nullptr, "check that Wi-Fi is on", NoCheck,
     [](const std::string&) { return Status(AtReadWifiState()); }},
    {"check-charger", nullptr, "check that the charger is charging", NoCheck,
     [](const std::string&) { return ReadOne<AtCheckCharger>("charger"); }},
    {"query-cal-file", "gsm|td|lte|rf-analysis|rf-calibration", "check that an RF calibration file exists",
     CheckCalFile, [](const std::string& value) { return Status(AtQueryCalFile(kCalFiles.at(value))); }},
    {"read-usb-mode", nullptr, "read the USB mode digit", NoCheck,
     [](const std::string&) {
         Buffer b;
         const int result = AtReadUsbMode(b.text);
         return One(result, "usb_mode", b);
     }},
    {"read-pn-lock", nullptr, "read the network-lock state", NoCheck,
     [](const std::string&) { return ReadOne<AtReadPnLock>("pn_lock"); }},
    {"write-imei", "IMEI", "write the IMEI", NoCheck,
     [](const std::string& value) { return Status(AtWriteImei(value.c_str())); }},
    {"write-mac", "MAC", "write the MAC address (12 hex digits)", NoCheck,
     [](const std::string& value) { return Status(AtWriteMac(value.c_str())); }},
    {"write-sn", "SN", "write the serial number", NoCheck,
     [](const std::string& value) { return Status(AtWriteSn(value.c_str())); }},
    {"write-usb-mode", "0|2|4|5", "write the USB mode", CheckUsbMode,
     [](const std::string& value) { return Status(AtWriteUsbMode(std::stoi(value))); }},
    {"lock-pn", nullptr, "lock the network personalisation", NoCheck,
     [](const std::string&) { return ReadOne<AtLockPn>("lock"); }},
    {"unlock-pn", "CODE", "unlock the network personalisation with CODE", NoCheck,
     [](const std::string& value) {
         Buffer b;
         const int result = AtUnlockPn(value.c_str(), b.text);
         return One(result, "unlock", b);
     }},
    {"power-off", nullptr, "power the unit off", NoCheck, [](const std::string&) { return Status(AtPowerOff()); }},
    {"reset", nullptr, "reboot the unit", NoCheck, [](const std::string&) { return Status(AtReset()); }},
    {"restore", nullptr, "restore the unit's factory settings", NoCheck,
     [](const std::string&) { return Status(AtRestore()); }},
    {"lcd-on", nullptr, "light up the screen", NoCheck, [](const std::string&) { return Status(AtLcdOn()); }},
    {"lcd-off", nullptr, "resume the screen", NoCheck, [](const std::string&) { return Status(AtLcdOff()); }},
    {"led-all-on", nullptr, "light all LEDs", NoCheck, [](const std::string&) { return Status(AtLedAllOn()); }},
    {"key-test-start", nullptr, "start the key test", NoCheck,
     [](const std::string&) { return Status(AtKeyTestStart()); }},
    {"key-test-stop", nullptr, "stop the key test", NoCheck,
     [](const std::string&) { return Status(AtKeyTestStop()); }},
    {"poll-key-report", nullptr, "listen about 3 seconds for the key-test report", NoCheck,
     [](const std::string&) { return ReadOne<AtPollKeyReport>("key"); }},
};

}  // namespace

const std::vector<ToolCommand>& ToolCommands()
{
    return kCommands;
}

const ToolCommand* FindToolCommand(const std::string& name)
{
    for (const auto& command : kCommands) {
        if (name == command.name)
            return &command;
    }
    return nullptr;
}

std::string EscapeNonPrintable(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}
