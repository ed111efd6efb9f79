// Querying the unit's state: SIM and SD slots, Wi-Fi, charger, signal
// strength and the RF calibration files.
#include "station/CRuriZudaDlg.h"

#include "atcmd/Atcmd.h"
#include "station/BufferText.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"

namespace {

constexpr size_t kSimShown = 20;
constexpr size_t kSdShown = 30;
constexpr size_t kChargerShown = 5;
constexpr size_t kWholeText = std::string::npos;

// What the unit reports when it measured nothing.
constexpr const char* kNo2gSignal = "99";
constexpr const char* kNo3g4gSignal = "255";

// One calibration sub-check: its switch, the files that must be present (the
// second only asked when the first is), its result and box.
struct CalibrationCheck {
    std::string StationProfile::StationSection::*enabled;
    CalFile first;
    const CalFile* second;
    std::string UnitRecord::*result;
    int box;
};

constexpr CalFile kRfCalibrationFile = CalFile::RfCalibration;

const CalibrationCheck kCalibrationChecks[] = {
    {&StationProfile::StationSection::gsmRfCalDataCheck, CalFile::Gsm, nullptr, &UnitRecord::gsmCalResult,
     ctl::kGsmBox},
    {&StationProfile::StationSection::tdRfCalDataCheck, CalFile::Td, nullptr, &UnitRecord::tdCalResult, ctl::kTdBox},
    {&StationProfile::StationSection::lteRfCalDataCheck, CalFile::Lte, nullptr, &UnitRecord::lteCalResult,
     ctl::kLteBox},
    {&StationProfile::StationSection::wcdmaRfCalDataCheck, CalFile::RfAnalysis, &kRfCalibrationFile,
     &UnitRecord::wcdmaCalResult, ctl::kWcdmaBox},
};

const char* Verdict(int passed)
{
    return passed ? kPass : kFail;
}

}  // namespace

int CRuriZudaDlg::ReadState(std::string UnitRecord::*value, int (*read)(char*), int box, size_t shown)
{
    std::string& text = unit.*value;
    text.clear();
    ShowValue(box, text, shown);
    char buffer[kStatusTextSize] = {};
    const int result = read(buffer);
    text = TextOf(buffer);  // an answer that means "no" is shown as well
    ShowValue(box, text, shown);
    return result;
}

int CRuriZudaDlg::SimItem()
{
    return ReadState(&UnitRecord::simText, AtDetectSim, ctl::kSimBox, kSimShown);
}

int CRuriZudaDlg::SdItem()
{
    return ReadState(&UnitRecord::sdText, AtReadSdCard, ctl::kSdBox, kSdShown);
}

int CRuriZudaDlg::ChargerItem()
{
    return ReadState(&UnitRecord::chargerResult, AtCheckCharger, ctl::kChargingBox, kChargerShown);
}

int CRuriZudaDlg::WifiItem()
{
    const int result = AtReadWifiState();
    unit.wifiResult = Verdict(result);
    ShowValue(ctl::kWifiBox, unit.wifiResult, kWholeText);
    return result;
}

int CRuriZudaDlg::RssiItem()
{
    unit.rssi2g.clear();
    unit.rssi3g.clear();
    unit.rssi4g.clear();
    unit.rssiResult.clear();
    char rssi2g[kRssiFieldSize] = {};
    char rssi3g[kRssiFieldSize] = {};
    char rssi4g[kRssiFieldSize] = {};
    const int read = AtReadRssi(rssi2g, rssi3g, rssi4g);
    // A reply whose "OK" never came still leaves the fields it carried.
    unit.rssi2g = TextOf(rssi2g);
    unit.rssi3g = TextOf(rssi3g);
    unit.rssi4g = TextOf(rssi4g);
    if (!read)
        return 0;  // no bit, the boxes untouched
    if (unit.rssi2g == kNo2gSignal)
        unit.rssi2g.clear();
    if (unit.rssi3g == kNo3g4gSignal)
        unit.rssi3g.clear();
    if (unit.rssi4g == kNo3g4gSignal)
        unit.rssi4g.clear();
    window_.SetText(ctl::kRssi2gBox, unit.rssi2g);
    window_.SetText(ctl::kRssi3gBox, unit.rssi3g);
    window_.SetText(ctl::kRssi4gBox, unit.rssi4g);
    window_.RepaintNow();
    if (!CheckRssi()) {
        FailureMask |= failbit::kRssi;
        unit.rssiResult = kFail;
        return 0;
    }
    unit.rssiResult = kPass;
    return 1;
}

int CRuriZudaDlg::RfCalItems()
{
    for (const auto& check : kCalibrationChecks) {
        (unit.*check.result).clear();
        window_.SetText(check.box, "");
    }
    window_.RepaintNow();
    int allPassed = 1;
    for (const auto& check : kCalibrationChecks) {
        if (!IsOn(profile.station.*check.enabled))
            continue;  // counts as passed, its box stays empty
        int present = AtQueryCalFile(check.first);
        if (present && check.second)
            present = AtQueryCalFile(*check.second);
        unit.*check.result = Verdict(present);
        ShowValue(check.box, unit.*check.result, kWholeText);
        allPassed = allPassed && present;
    }
    return allPassed;
}
