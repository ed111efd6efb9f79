// Judging the unit's values: scans against reads, prefixes, SSID, signal
// thresholds, completeness and the verdict.
#include "tests/station/StationFixture.h"

namespace {

using Texts = std::vector<std::string>;

class Checks : public StationFixture {
protected:
    void SetUp() override { Start(); }

    StationProfile::StationSection& Station() { return station->profile.station; }
    UnitRecord& Unit() { return station->unit; }

    Texts BoxTexts() const
    {
        Texts texts;
        for (const auto& box : window.boxes)
            texts.push_back(box.caption + ": " + box.text);
        return texts;
    }
};

struct PrefixRow {
    const char* value;
    const char* prefix;
    int matches;
};

class Prefix : public Checks, public testing::WithParamInterface<PrefixRow> {};

TEST_P(Prefix, FiveOrMoreCharactersMustBeginTheValue)
{
    EXPECT_EQ(CRuriZudaDlg::PrefixMatches(GetParam().value, GetParam().prefix), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Rule, Prefix,
                         testing::Values(PrefixRow {"RZ26A01", "", 1}, PrefixRow {"RZ26A01", "XXXX", 1},
                                         PrefixRow {"RZ26A01", "RZ26A", 1}, PrefixRow {"RZ26A01", "RZ26B", 0},
                                         PrefixRow {"rz26a01", "RZ26A", 0}, PrefixRow {"RZ26", "RZ26A", 0}));

TEST_F(Checks, ScanIsComparedBeforeThePrefix)
{
    Station().checkScanSn = "YES";
    Station().checkSnNo = "XX26A";
    Unit().sn = "RZ26A0145871";
    window.SetText(ctl::kScanSn, "RZ26A0145871");
    EXPECT_EQ(station->CheckSn(), 0);
    EXPECT_EQ(BoxTexts(), (Texts {"WARNING: The SN is out of range!"}));

    window.boxes.clear();
    window.SetText(ctl::kScanSn, "RZ26A0145872");  // the field as it is now
    EXPECT_EQ(station->CheckSn(), 0);
    EXPECT_EQ(BoxTexts(), (Texts {"WARNING: read SN not match scan SN"}));
    EXPECT_EQ(station->checks.snCheckOk, 0);
}

TEST_F(Checks, EmptyScanDoesNotMatchARead)
{
    Station().checkScanImei = "YES";
    Unit().imei = "867400012345678";
    EXPECT_EQ(station->CheckImei(), 0);
    EXPECT_EQ(BoxTexts(), (Texts {"WARNING: read IMEI not match scan IMEI"}));
    window.SetText(ctl::kScanImei, "867400012345678");
    EXPECT_EQ(station->CheckImei(), 1);
    EXPECT_EQ(station->checks.imeiCheckOk, 1);
}

struct MacRow {
    const char* scan;  // nullptr: scan check off
    const char* read;
    const char* prefix;
    const char* message;  // nullptr: passes
};

class Mac : public Checks, public testing::WithParamInterface<MacRow> {};

TEST_P(Mac, ScanIgnoresSeparatorsAndPrefixFollowsTheReportedLayout)
{
    const MacRow& row = GetParam();
    Station().checkScanMac = row.scan ? "YES" : "NO";
    Station().checkMacNo = row.prefix;
    Unit().mac = row.read;
    window.SetText(ctl::kScanMac, row.scan ? row.scan : "");
    EXPECT_EQ(station->CheckMac(), row.message ? 0 : 1);
    EXPECT_EQ(BoxTexts(), row.message ? Texts {std::string("WARNING: ") + row.message} : Texts {});
}

constexpr const char* kScanMismatch = "read MAC not match scan MAC";
constexpr const char* kOutOfRange = "The MAC is out of range!";

INSTANTIATE_TEST_SUITE_P(Rule, Mac,
                         testing::Values(MacRow {"00-11-22-AA-BB-CC", "00:11:22:AA:BB:CC", "", nullptr},
                                         MacRow {"001122aabbcc", "00:11:22:AA:BB:CC", "", kScanMismatch},
                                         MacRow {"00-11-22-AA-BB", "00:11:22:AA:BB:CC", "", kScanMismatch},
                                         MacRow {nullptr, "00:11:22:AA:BB:CC", "001122", nullptr},
                                         MacRow {nullptr, "00-11-22-AA-BB-CC", "001122", nullptr},
                                         MacRow {nullptr, "0011:22:AA:BB:CC", "001122", kOutOfRange},
                                         MacRow {nullptr, "00:11", "001122", kOutOfRange},
                                         MacRow {nullptr, "FF:FF:FF:FF:FF:FF", "0011", nullptr}));

struct SsidRow {
    const char* ssid;
    const char* mac;
    const char* lastFour;
    int passes;
    bool lastFourBox;
};

class Ssid : public Checks, public testing::WithParamInterface<SsidRow> {};

TEST_P(Ssid, LastFourDigitsFollowTheMac)
{
    Station().checkSsidLast4Digits = GetParam().lastFour;
    Unit().ssid = GetParam().ssid;
    Unit().mac = GetParam().mac;
    EXPECT_EQ(station->CheckSsid(), GetParam().passes);
    EXPECT_EQ(BoxTexts(), GetParam().lastFourBox ? Texts {"RuriZuda: SSID last 4 digits not match MAC!"} : Texts {});
}

INSTANTIATE_TEST_SUITE_P(Rule, Ssid,
                         testing::Values(SsidRow {"RURIZUDA-BBCC", "00:11:22:AA:BB:CC", "YES", 1, false},
                                         SsidRow {"RURIZUDA-bbcc", "00:11:22:AA:BB:CC", "YES", 0, true},
                                         SsidRow {"BCC", "00:11:22:AA:BB:CC", "YES", 0, true},
                                         SsidRow {"RURIZUDA-0000", "001122AABBCC", "YES", 1, false},
                                         SsidRow {"RURIZUDA-0000", "00:11:22:AA:BB:CC", "NO", 1, false}));

struct RssiRow {
    const char* values[3];
    const char* thresholds[3];
    int passes;
};

class Rssi : public Checks, public testing::WithParamInterface<RssiRow> {};

TEST_P(Rssi, OneTechnologyAboveItsThresholdByValueIsEnough)
{
    const RssiRow& row = GetParam();
    Unit().rssi2g = row.values[0];
    Unit().rssi3g = row.values[1];
    Unit().rssi4g = row.values[2];
    Station().rssi2g = row.thresholds[0];
    Station().rssi3g = row.thresholds[1];
    Station().rssi4g = row.thresholds[2];
    EXPECT_EQ(station->CheckRssi(), row.passes);
}

INSTANTIATE_TEST_SUITE_P(Rule, Rssi,
                         testing::Values(RssiRow {{"31", "", ""}, {"30", "", ""}, 1},
                                         RssiRow {{"30", "", ""}, {"30", "", ""}, 0},
                                         RssiRow {{"5", "", ""}, {"30", "", ""}, 0},
                                         RssiRow {{"100", "", ""}, {"30", "", ""}, 1},
                                         RssiRow {{"", "", ""}, {"30", "", ""}, 0},
                                         RssiRow {{"63", "90", "90"}, {"", "", ""}, 0},
                                         RssiRow {{"5", "", "45"}, {"30", "", "20"}, 1}));

// Every switch the completeness check and the verdict look at.
void AllOn(StationProfile& p)
{
    auto& s = p.station;
    for (std::string* on : {&s.readVer, &s.readMac, &s.readImei, &s.readSn, &s.readPcbaSn, &s.readSsid, &s.readSim,
                            &s.readSd, &s.testKey, &s.testOled, &s.testLed, &s.rfCalDataCheck, &s.gsmRfCalDataCheck,
                            &s.tdRfCalDataCheck, &s.lteRfCalDataCheck, &s.wcdmaRfCalDataCheck, &s.readWifi,
                            &s.rfRssiCheck, &s.readChargerStatus, &p.onekey.writeLinuxUsbMode,
                            &p.onekey.writeLockPn, &p.onekey.readLinuxUsbMode, &p.onekey.readLockPn})
        *on = "YES";
}

// The completeness rows in their order, each with a value the verdict passes.
struct UnitValue {
    std::string UnitRecord::*field;
    const char* good;
    const char* emptyMessage;
};

const UnitValue kValues[] = {
    {&UnitRecord::version, "RZ_V1", "Version is empty"},
    {&UnitRecord::releaseDate, "2026-10-14", "Release Date is empty"},
    {&UnitRecord::mac, "A4-5E-60-C1-22-9F", "MAC is empty"},
    {&UnitRecord::imei, "867400012345678", "IMEI is empty"},
    {&UnitRecord::sn, "RZ26A0145871", "SN is empty"},
    {&UnitRecord::pcbaSn, "PB26A0145871", "PCBA SN is empty"},
    {&UnitRecord::ssid, "RURIZUDA-229F", "SSID is empty"},
    {&UnitRecord::simText, "SIM inserted", "SIM status is empty"},
    {&UnitRecord::sdText, "SD inserted", "SD status is empty"},
    {&UnitRecord::keyResult, "PASS", "Key test  is empty"},
    {&UnitRecord::oledResult, "PASS", "OLED test is empty"},
    {&UnitRecord::ledResult, "PASS", "LED test  is empty"},
    {&UnitRecord::gsmCalResult, "PASS", "GSM cal is empty"},
    {&UnitRecord::tdCalResult, "PASS", "TD cal is empty"},
    {&UnitRecord::lteCalResult, "PASS", "LTE cal is empty"},
    {&UnitRecord::wcdmaCalResult, "PASS", "WCDMA cal is empty"},
    {&UnitRecord::wifiResult, "PASS", "WIFI test  is empty"},
    {&UnitRecord::rssiResult, "PASS", "RSSI test  is empty"},
    {&UnitRecord::chargerResult, "PASS", "Charger test  is empty"},
    {&UnitRecord::linuxUsbModeResult, "PASS", "usbmode write  is empty"},
    {&UnitRecord::lockResult, "LOCK SUCCESS", "Lock PN  is empty"},
    {&UnitRecord::usbMode, "4", "usbmode write  is empty"},
    {&UnitRecord::lockState, "LOCK", "Lock PN  is empty"},
};
// Indices into kValues of the values the verdict does not look at.
constexpr size_t kIdentityRows = 7;

class Rows : public Checks, public testing::WithParamInterface<size_t> {
protected:
    void SetUp() override
    {
        Checks::SetUp();
        AllOn(station->profile);
        for (const auto& value : kValues)
            Unit().*value.field = value.good;
    }
};

TEST_P(Rows, FirstEmptyValueIsTheOnlyOneNamed)
{
    for (size_t row = GetParam(); row < std::size(kValues); ++row)
        Unit().*kValues[row].field = "";
    EXPECT_EQ(station->CheckComplete(), 0);
    EXPECT_EQ(BoxTexts(), (Texts {std::string("RuriZuda: ") + kValues[GetParam()].emptyMessage}));
}

TEST_P(Rows, VerdictNeedsEveryJudgedValueExactly)
{
    Unit().*kValues[GetParam()].field = "FAIL";
    EXPECT_EQ(station->UnitPassed(), GetParam() < kIdentityRows ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Table, Rows, testing::Range<size_t>(0, std::size(kValues)));

TEST_F(Rows, CompleteGoodUnitPassesBoth)
{
    EXPECT_EQ(station->CheckComplete(), 1);
    EXPECT_EQ(station->UnitPassed(), 1);
    EXPECT_TRUE(window.boxes.empty());
}

TEST_F(Checks, WithEverySwitchOffNothingIsDemanded)
{
    Unit().simText = "SIM not inserted";
    EXPECT_EQ(station->UnitPassed(), 1);
    EXPECT_EQ(station->CheckComplete(), 1);
    Station().readMac = "YES";
    Station().readImei = "YES";
    Station().gsmRfCalDataCheck = "YES";  // without RFCALDATACHECK
    EXPECT_EQ(station->CheckComplete(), 0);
    EXPECT_EQ(BoxTexts(), (Texts {"RuriZuda: MAC is empty"}));
}

}  // namespace
