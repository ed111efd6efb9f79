// Loading the station profile: switches as read, buffer sizes per key,
// independence of sections, the absent file, the delay, and the example
// profile shipped with the station.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "config/ProfileKeys.h"
#include "config/StationProfile.h"
#include "tests/config/TempTextFile.h"

namespace {

StationProfile Load(std::string_view text)
{
    const TempTextFile file(text);
    return LoadStationProfileFile(file.Path());
}

// Calls check(section name, key row, field text) for every key of the profile.
template <class Check>
void ForEachField(const StationProfile& profile, Check check)
{
    using namespace profile_keys;
    for (const auto& key : kStation)
        check(kStationName, key.name, profile.station.*key.field);
    for (const auto& key : kOnekey)
        check(kOnekeyName, key.name, profile.onekey.*key.field);
    for (const auto& key : kReadFromDb)
        check(kReadFromDbName, key.name, profile.readFromDb.*key.field);
    for (const auto& key : kLockPn)
        check(kLockPnName, key.name, profile.lockPn.*key.field);
    for (const auto& key : kWriteOptions)
        check(kWriteOptionsName, key.name, profile.writeOptions.*key.field);
}

TEST(StationProfileLoad, AbsentFileGivesAnEmptyProfile)
{
    const auto missing = std::filesystem::temp_directory_path() / "rurizuda-config-no-such-profile.ini";
    const StationProfile profile = LoadStationProfileFile(missing);
    ForEachField(profile, [](std::string_view section, std::string_view key, const std::string& text) {
        EXPECT_EQ(text, "") << section << ' ' << key;
    });
    EXPECT_EQ(profile.delaySeconds, 0);
    EXPECT_EQ(profile.path, missing.string());
}

// Whatever lies in workstation.ini, loading ends with a profile: keys outside
// any section count for nothing, and no value carries a line break.
TEST(StationProfileLoad, HostileFilesStillGiveAProfile)
{
    std::mt19937 random(20261207);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const struct {
        const char* name;
        std::string text;
        bool empty;
    } rows[] = {
        {"without sections", "READVER=YES\nTESTLED=YES\nDELAYTIME_BEFORE_RESET_OR_RESTORE=5\n", true},
        {"only NULs", std::string(4096, '\0'), true},
        {"random bytes", noise, false},
        {"random bytes behind a header", "[Station]\nREADVER=" + noise, false},
    };
    for (const auto& row : rows) {
        const StationProfile profile = Load(row.text);
        EXPECT_GE(profile.delaySeconds, 0) << row.name;
        EXPECT_LE(profile.delaySeconds, 3600) << row.name;
        ForEachField(profile, [&](std::string_view section, std::string_view key, const std::string& text) {
            EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << row.name << ' ' << section << ' ' << key;
            if (row.empty) {
                EXPECT_EQ(text, "") << row.name << ' ' << section << ' ' << key;
            }
        });
    }
}

TEST(StationProfileLoad, SwitchIsOnOnlyForExactYes)
{
    const StationProfile profile = Load("[Station]\nREADVER=yes\nREADIMEI=Yes\nREADMAC=YESS\n"
                                        "READSN=NO\nREADSSID=\nREADSD=  YES \t\nREADSIM=\"YES\"\n");
    EXPECT_FALSE(IsOn(profile.station.readVer));
    EXPECT_FALSE(IsOn(profile.station.readImei));
    EXPECT_FALSE(IsOn(profile.station.readMac));
    EXPECT_FALSE(IsOn(profile.station.readSn));
    EXPECT_FALSE(IsOn(profile.station.readSsid));
    EXPECT_FALSE(IsOn(profile.station.readPcbaSn));  // absent
    EXPECT_EQ(profile.station.readSd, "YES");
    EXPECT_TRUE(IsOn(profile.station.readSim));
}

TEST(StationProfileLoad, ValuesAreCutToTheirKeysBuffer)
{
    const std::string longText(100, '7');
    const StationProfile profile = Load("[Station]\nTESTLED=YESSS\nREADVER=" + longText + "\nCHECKVER=" + longText +
                                        "\n[Onekey]\nDELAYTIME_BEFORE_RESET_OR_RESTORE=0000000005\n"
                                        "[ReadFromDB]\nREAD_DB_FILE_NAME=" + longText + "\n");
    EXPECT_EQ(profile.station.testLed, "YESS");
    EXPECT_EQ(profile.station.readVer.size(), 9u);
    EXPECT_EQ(profile.station.checkVer.size(), 39u);
    EXPECT_EQ(profile.readFromDb.readDbFileName.size(), 59u);
    // The delay is taken from the text as cut: the 5 falls off.
    EXPECT_EQ(profile.onekey.delayTimeBeforeResetOrRestore, "000000000");
    EXPECT_EQ(profile.delaySeconds, 0);
}

TEST(StationProfileLoad, SectionAndKeyNamesMatchInAnyLetterCase)
{
    const StationProfile profile = Load("[STATION]\nreadver=YES\n[onekey]\nReadVer=YES\n[readfromdb]\n"
                                        "read_db_table_name=T\n[LOCKPN]\nLockPnCode=42\n"
                                        "[writeoptions]\nclear_after_write_sn=YES\n");
    EXPECT_EQ(profile.station.readVer, "YES");
    EXPECT_EQ(profile.onekey.readVer, "YES");
    EXPECT_EQ(profile.readFromDb.readDbTableName, "T");
    EXPECT_EQ(profile.lockPn.lockPnCode, "42");
    EXPECT_EQ(profile.writeOptions.clearAfterWriteSn, "YES");
}

TEST(StationProfileLoad, SameKeyInTwoSectionsGivesIndependentFields)
{
    const StationProfile profile = Load("[Onekey]\nREADVER=NO\nSTARTRESTORE=YES\n[Station]\nREADVER=YES\n"
                                        "LOCKPNCODE=99\n");
    EXPECT_EQ(profile.station.readVer, "YES");
    EXPECT_EQ(profile.onekey.readVer, "NO");
    EXPECT_EQ(profile.onekey.startRestore, "YES");
    EXPECT_EQ(profile.station.startRestore, "");
    EXPECT_EQ(profile.lockPn.lockPnCode, "");
}

TEST(StationProfileLoad, FirstOfTwoEqualKeysWinsAndKeysBeforeAnySectionAreIgnored)
{
    const StationProfile profile = Load("USEMDB=YES\n[Station]\nREADVER=NO\nREADVER=YES\n");
    EXPECT_EQ(profile.station.readVer, "NO");
    EXPECT_EQ(profile.station.useMdb, "");
}

TEST(StationProfileLoad, CrLfFileWithCommentsAndQuotes)
{
    const StationProfile profile = Load("; station 7\r\n[Station]\r\n;READVER=YES\r\nCHECKVER=\"RZ_V1.2.2 \"\r\n"
                                        "2GRSSI = 30 \r\n[Onekey]\r\nDELAYTIME_BEFORE_RESET_OR_RESTORE=' 3x'\r\n");
    EXPECT_EQ(profile.station.readVer, "");
    EXPECT_EQ(profile.station.checkVer, "RZ_V1.2.2 ");
    EXPECT_EQ(profile.station.rssi2g, "30");
    EXPECT_EQ(profile.onekey.delayTimeBeforeResetOrRestore, " 3x");
    EXPECT_EQ(profile.delaySeconds, 3);
}

TEST(StationProfilePath, IsWorkstationIniInTheCurrentDirectory)
{
    EXPECT_EQ(StationProfilePath(), std::filesystem::current_path() / "workstation.ini");
}

TEST(StationProfileKeys, EachSectionNamesDistinctKeysAndFields)
{
    auto checkTable = [](const auto& table) {
        std::set<std::string_view> names;
        for (std::size_t i = 0; i < table.size(); ++i) {
            EXPECT_TRUE(names.insert(table[i].name).second) << table[i].name;
            EXPECT_GE(table[i].bufferSize, 5u) << table[i].name;
            for (std::size_t j = 0; j < i; ++j)
                EXPECT_FALSE(table[i].field == table[j].field) << table[i].name << " and " << table[j].name;
        }
    };
    checkTable(profile_keys::kStation);
    checkTable(profile_keys::kOnekey);
    checkTable(profile_keys::kReadFromDb);
    checkTable(profile_keys::kLockPn);
    checkTable(profile_keys::kWriteOptions);
    checkTable(profile_keys::kResultDb);
    checkTable(profile_keys::kMes);
    checkTable(profile_keys::kOperator);
}

TEST(StationProfileLoad, OperatorSectionGivesTheSignInSettings)
{
    const StationProfile profile = Load("[Operator]\nSIGNIN=1\nIDLE_MINUTES=12\n");
    EXPECT_EQ(profile.operatorSignIn.signIn, "1");
    EXPECT_EQ(profile.operatorSignIn.idleMinutes, "12");
    EXPECT_EQ(Load("[MES]\nSIGNIN=1\n").operatorSignIn.signIn, "");
}

TEST(StationProfileLoad, MesSectionGivesTheHandOffsSettings)
{
    const StationProfile profile = Load("[MES]\nURL=amqp://mes:5672\nADDRESS=/exchange/cfx/station\n"
                                        "HANDLE=Factory.Line1.ST-03\nCREDENTIALS=/etc/rurizuda/mes\n"
                                        "PLAINTEXT_PASSWORD=1\nVALIDATE=1\nVALIDATOR=/queue/cfx.validation\n"
                                        "VALIDATE_TIMEOUT=3\nON_NO_ANSWER=allow\n");
    EXPECT_EQ(profile.mes.url, "amqp://mes:5672");
    EXPECT_EQ(profile.mes.address, "/exchange/cfx/station");
    EXPECT_EQ(profile.mes.handle, "Factory.Line1.ST-03");
    EXPECT_EQ(profile.mes.credentials, "/etc/rurizuda/mes");
    EXPECT_EQ(profile.mes.plaintextPassword, "1");
    EXPECT_EQ(profile.mes.validate, "1");
    EXPECT_EQ(profile.mes.validator, "/queue/cfx.validation");
    EXPECT_EQ(profile.mes.validateTimeout, "3");
    EXPECT_EQ(profile.mes.onNoAnswer, "allow");
}

TEST(ExampleProfile, LoadsWithEveryKeySet)
{
    const StationProfile profile = LoadStationProfileFile(EXAMPLE_PROFILE_PATH);
    ForEachField(profile, [](std::string_view section, std::string_view key, const std::string& text) {
        // An empty 3G threshold, no code program and no wire trace are the
        // example's choices.
        if (key != "3GRSSI" && key != "LOCKCODE_COMMAND" && key != "WIRETRACE_DIR") {
            EXPECT_NE(text, "") << section << ' ' << key;
        }
    });
    EXPECT_TRUE(IsOn(profile.station.readVer));
    EXPECT_TRUE(IsOn(profile.station.checkScanPcbaSn));
    EXPECT_TRUE(IsOn(profile.onekey.readLockPn));
    EXPECT_FALSE(IsOn(profile.onekey.startRestore));
    EXPECT_EQ(profile.station.checkMacNo, "A45E60");
    EXPECT_EQ(profile.station.checkVer, "RZ_V1.2.2");
    EXPECT_EQ(profile.station.rssi3g, "");
    EXPECT_EQ(profile.delaySeconds, 3);
    EXPECT_EQ(profile.readFromDb.readDbFileName, "lookup.mdb");
    EXPECT_EQ(profile.lockPn.lockPnCode, "12345678");
    EXPECT_EQ(profile.lockPn.lockCodeFromImeiEnable, "NO");
    // The writing station's options are documented but all off.
    for (const auto& key : profile_keys::kWriteOptions) {
        if (key.name != "MAC_FIRST_8_BYTES") {
            EXPECT_FALSE(IsOn(profile.writeOptions.*key.field)) << key.name;
        }
    }
    EXPECT_EQ(profile.writeOptions.macFirst8Bytes.size(), 8u);
    EXPECT_EQ(profile.lockPn.lockCodeCommand, "");  // shown commented out
}

} // namespace
