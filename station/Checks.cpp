// Judging the unit's values: scans and prefixes of the identities, version
// and release date, SSID, signal thresholds, completeness before storing and
// the unit's verdict.
#include "station/CRuriZudaDlg.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

#include "station/OperationSpec.h"

// One identity check that compares a scan with the read value and then the
// read value with a configured prefix.
struct IdentityCheckRow {
    const std::string StationProfile::StationSection::*scanSwitch;
    std::string BoundTexts::*scanField;
    std::string ScannedValues::*scannedCopy;
    size_t copyLength;  // the copy's buffer holds one more byte for the terminator
    const std::string StationProfile::StationSection::*prefix;
    int CheckOutcomes::*outcome;
    std::string UnitRecord::*readValue;
    const char* scanMessage;
    const char* rangeMessage;
    bool macRules;  // normalised scan comparison, positional prefix
};

namespace {

using Station = StationProfile::StationSection;

const IdentityCheckRow kImeiCheck {&Station::checkScanImei, &BoundTexts::scanImei, &ScannedValues::imei, 16,
                            &Station::checkImeiNo, &CheckOutcomes::imeiCheckOk, &UnitRecord::imei,
                            "read IMEI not match scan IMEI", "The IMEI is out of range!", false};
const IdentityCheckRow kSnCheck {&Station::checkScanSn, &BoundTexts::scanSn, &ScannedValues::sn, 29,
                          &Station::checkSnNo, &CheckOutcomes::snCheckOk, &UnitRecord::sn,
                          "read SN not match scan SN", "The SN is out of range!", false};
const IdentityCheckRow kPcbaSnCheck {&Station::checkScanPcbaSn, &BoundTexts::scanPcbaSn, &ScannedValues::pcbaSn, 29,
                              &Station::checkPcbaSnNo, &CheckOutcomes::pcbaSnCheckOk, &UnitRecord::pcbaSn,
                              "read PCBA SN not match scan PCBA SN", "The PCBA SN is out of range!", false};
const IdentityCheckRow kMacCheck {&Station::checkScanMac, &BoundTexts::scanMac, &ScannedValues::mac, 18,
                           &Station::checkMacNo, &CheckOutcomes::macCheckOk, &UnitRecord::mac,
                           "read MAC not match scan MAC", "The MAC is out of range!", true};

constexpr const char* kSsidLastFourMessage = "SSID last 4 digits not match MAC!";

// A MAC text with everything but hex digits removed; letter case is kept.
std::string HexDigitsOf(const std::string& mac)
{
    std::string digits;
    for (char c : mac) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            digits += c;
    }
    return digits;
}

// CHECKMACNO is written without separators and laid over the MAC as the unit
// reports it, two digits at a time: the separator after every pair is
// skipped whatever it is.
bool MacPrefixMatches(const std::string& mac, const std::string& prefix)
{
    if (!PrefixCheckEnabled(prefix))
        return true;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const size_t at = i + i / 2;
        if (at >= mac.size() || mac[at] != prefix[i])
            return false;
    }
    return true;
}

bool IsDecimal(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Compares two decimal texts by value, whatever their length or leading zeros.
int CompareDecimal(std::string_view a, std::string_view b)
{
    auto significant = [](std::string_view t) {
        const size_t first = t.find_first_not_of('0');
        return first == std::string_view::npos ? std::string_view() : t.substr(first);
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

// Whether one technology's signal is above its threshold. Two numbers compare
// by value; anything else keeps the bounded text comparison, under which an
// empty threshold never passes (nothing compared is equal).
bool SignalAbove(const std::string& signal, const std::string& threshold)
{
    if (threshold.empty() || signal.empty())
        return false;
    if (IsDecimal(signal) && IsDecimal(threshold))
        return CompareDecimal(signal, threshold) > 0;
    return std::strncmp(signal.c_str(), threshold.c_str(), threshold.size()) > 0;
}

// One row of the completeness check: when its switches are on, the value
// must not be empty.
struct CompletenessRow {
    bool (*applies)(const StationProfile&);
    std::string UnitRecord::*value;
    const char* message;
};

#define STATION(field) [](const StationProfile& p) { return IsOn(p.station.field); }
#define RF_CAL(field) [](const StationProfile& p) { return IsOn(p.station.rfCalDataCheck) && IsOn(p.station.field); }
#define ONEKEY(field) [](const StationProfile& p) { return IsOn(p.onekey.field); }

// In the order they are tested; the messages keep their double blanks.
const CompletenessRow kCompletenessRows[] = {
    {STATION(readVer), &UnitRecord::version, "Version is empty"},
    {STATION(readVer), &UnitRecord::releaseDate, "Release Date is empty"},
    {STATION(readMac), &UnitRecord::mac, "MAC is empty"},
    {STATION(readImei), &UnitRecord::imei, "IMEI is empty"},
    {STATION(readSn), &UnitRecord::sn, "SN is empty"},
    {STATION(readPcbaSn), &UnitRecord::pcbaSn, "PCBA SN is empty"},
    {STATION(readSsid), &UnitRecord::ssid, "SSID is empty"},
    {STATION(readSim), &UnitRecord::simText, "SIM status is empty"},
    {STATION(readSd), &UnitRecord::sdText, "SD status is empty"},
    {STATION(testKey), &UnitRecord::keyResult, "Key test  is empty"},
    {STATION(testOled), &UnitRecord::oledResult, "OLED test is empty"},
    {STATION(testLed), &UnitRecord::ledResult, "LED test  is empty"},
    {RF_CAL(gsmRfCalDataCheck), &UnitRecord::gsmCalResult, "GSM cal is empty"},
    {RF_CAL(tdRfCalDataCheck), &UnitRecord::tdCalResult, "TD cal is empty"},
    {RF_CAL(lteRfCalDataCheck), &UnitRecord::lteCalResult, "LTE cal is empty"},
    {RF_CAL(wcdmaRfCalDataCheck), &UnitRecord::wcdmaCalResult, "WCDMA cal is empty"},
    {STATION(readWifi), &UnitRecord::wifiResult, "WIFI test  is empty"},
    {STATION(rfRssiCheck), &UnitRecord::rssiResult, "RSSI test  is empty"},
    {STATION(readChargerStatus), &UnitRecord::chargerResult, "Charger test  is empty"},
    {ONEKEY(writeLinuxUsbMode), &UnitRecord::linuxUsbModeResult, "usbmode write  is empty"},
    {ONEKEY(writeLockPn), &UnitRecord::lockResult, "Lock PN  is empty"},
    {ONEKEY(readLinuxUsbMode), &UnitRecord::usbMode, "usbmode write  is empty"},
    {ONEKEY(readLockPn), &UnitRecord::lockState, "Lock PN  is empty"},
};

// One row of the verdict: when its switches are on, the value must be exactly
// the expected text.
struct VerdictRow {
    bool (*applies)(const StationProfile&);
    std::string UnitRecord::*value;
    const char* expected;
};

const VerdictRow kVerdictRows[] = {
    {STATION(readSim), &UnitRecord::simText, "SIM inserted"},
    {STATION(readSd), &UnitRecord::sdText, "SD inserted"},
    {STATION(testKey), &UnitRecord::keyResult, kPass},
    {STATION(testLed), &UnitRecord::ledResult, kPass},
    {STATION(testOled), &UnitRecord::oledResult, kPass},
    {STATION(readWifi), &UnitRecord::wifiResult, kPass},
    {RF_CAL(gsmRfCalDataCheck), &UnitRecord::gsmCalResult, kPass},
    {RF_CAL(tdRfCalDataCheck), &UnitRecord::tdCalResult, kPass},
    {RF_CAL(lteRfCalDataCheck), &UnitRecord::lteCalResult, kPass},
    {RF_CAL(wcdmaRfCalDataCheck), &UnitRecord::wcdmaCalResult, kPass},
    {STATION(rfRssiCheck), &UnitRecord::rssiResult, kPass},
    {STATION(readChargerStatus), &UnitRecord::chargerResult, kPass},
    {ONEKEY(writeLinuxUsbMode), &UnitRecord::linuxUsbModeResult, kPass},
    {ONEKEY(writeLockPn), &UnitRecord::lockResult, "LOCK SUCCESS"},
    {ONEKEY(readLinuxUsbMode), &UnitRecord::usbMode, "4"},
    {ONEKEY(readLockPn), &UnitRecord::lockState, "LOCK"},
};

#undef STATION
#undef RF_CAL
#undef ONEKEY

}  // namespace

int CRuriZudaDlg::PrefixMatches(const std::string& value, const std::string& prefix)
{
    if (!PrefixCheckEnabled(prefix))
        return 1;
    return value.compare(0, prefix.size(), prefix) == 0 && value.size() >= prefix.size() ? 1 : 0;
}

int CRuriZudaDlg::RunIdentityCheck(const IdentityCheckRow& check)
{
    const bool macRules = check.macRules;
    int& outcome = checks.*check.outcome;
    outcome = 1;
    const std::string& read = unit.*check.readValue;
    if (IsOn(profile.station.*check.scanSwitch)) {
        UpdateData();
        std::string& copy = scanned.*check.scannedCopy;
        copy = (bound.*check.scanField).substr(0, check.copyLength);
        const bool same = macRules ? HexDigitsOf(copy) == HexDigitsOf(read) : copy == read;
        if (!same) {
            outcome = 0;
            Warn(check.scanMessage);
            return 0;
        }
    }
    const std::string& prefix = profile.station.*check.prefix;
    const bool inRange = macRules ? MacPrefixMatches(read, prefix) : PrefixMatches(read, prefix) != 0;
    if (!inRange) {
        outcome = 0;
        Warn(check.rangeMessage);
        return 0;
    }
    return 1;
}

int CRuriZudaDlg::CheckImei()
{
    return RunIdentityCheck(kImeiCheck);
}

int CRuriZudaDlg::CheckSn()
{
    return RunIdentityCheck(kSnCheck);
}

int CRuriZudaDlg::CheckPcbaSn()
{
    return RunIdentityCheck(kPcbaSnCheck);
}

int CRuriZudaDlg::CheckMac()
{
    return RunIdentityCheck(kMacCheck);
}

int CRuriZudaDlg::CheckVersion()
{
    return PrefixMatches(unit.version, profile.station.checkVer);
}

int CRuriZudaDlg::CheckReleaseDate()
{
    return PrefixMatches(unit.releaseDate, profile.station.checkRelDateTime);
}

int CRuriZudaDlg::CheckSsid()
{
    const std::string& mac = unit.mac;
    const std::string& ssid = unit.ssid;
    // Six pairs with a separator after each but the last.
    constexpr size_t kReportedMacLength = 17;
    if (IsOn(profile.station.checkSsidLast4Digits) && mac.size() == kReportedMacLength) {
        const std::string lastTwoBytes {mac[12], mac[13], mac[15], mac[16]};
        if (ssid.size() < 4 || ssid.compare(ssid.size() - 4, 4, lastTwoBytes) != 0) {
            window_.MessageBox(kSsidLastFourMessage, kApplicationName, BoxIcon::Warning);
            return 0;
        }
    }
    return PrefixMatches(ssid, profile.station.checkSsidNo);
}

int CRuriZudaDlg::CheckRssi()
{
    const auto& s = profile.station;
    const std::pair<const std::string&, const std::string&> technologies[] = {
        {unit.rssi2g, s.rssi2g},
        {unit.rssi3g, s.rssi3g},
        {unit.rssi4g, s.rssi4g},
    };
    for (const auto& [signal, threshold] : technologies) {
        if (SignalAbove(signal, threshold))
            return 1;
    }
    return 0;
}

int CRuriZudaDlg::CheckComplete()
{
    for (const auto& row : kCompletenessRows) {
        if (row.applies(profile) && (unit.*row.value).empty()) {
            window_.MessageBox(row.message, kApplicationName, BoxIcon::Warning);
            return 0;
        }
    }
    return 1;
}

int CRuriZudaDlg::UnitPassed()
{
    for (const auto& row : kVerdictRows) {
        if (row.applies(profile) && unit.*row.value != row.expected)
            return 0;
    }
    return 1;
}
