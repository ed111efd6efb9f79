#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "config/StationProfile.h"

// The keys of workstation.ini: one table per section, in the order the
// profile is read, each key with its buffer size (counting the terminating
// zero, so a value keeps at most bufferSize - 1 characters) and the field it
// fills.

namespace profile_keys {

template <class Section>
struct ProfileKey {
    std::string_view name;
    std::size_t bufferSize;
    std::string Section::*field;
};

inline constexpr std::string_view kStationName = "Station";
inline constexpr std::string_view kOnekeyName = "Onekey";
inline constexpr std::string_view kReadFromDbName = "ReadFromDB";
inline constexpr std::string_view kLockPnName = "LockPN";
inline constexpr std::string_view kWriteOptionsName = "WriteOptions";
inline constexpr std::string_view kResultDbName = "ResultDB";
inline constexpr std::string_view kMesName = "MES";
inline constexpr std::string_view kOperatorName = "Operator";

using Station = StationProfile::StationSection;
using Onekey = StationProfile::OnekeySection;
using ReadFromDb = StationProfile::ReadFromDbSection;
using LockPn = StationProfile::LockPnSection;
using WriteOptions = StationProfile::WriteOptionsSection;
using ResultDb = StationProfile::ResultDbSection;
using Mes = StationProfile::MesSection;
using Operator = StationProfile::OperatorSection;

inline constexpr auto kStation = std::to_array<ProfileKey<Station>>({
    {"READVER", 10, &Station::readVer},
    {"READIMEI", 10, &Station::readImei},
    {"READMAC", 10, &Station::readMac},
    {"READSN", 10, &Station::readSn},
    {"READPCBASN", 10, &Station::readPcbaSn},
    {"READSSID", 10, &Station::readSsid},
    {"READSIM", 10, &Station::readSim},
    {"READSD", 10, &Station::readSd},
    {"TESTKEY", 10, &Station::testKey},
    {"TESTOLED", 10, &Station::testOled},
    {"TESTLED", 5, &Station::testLed},
    {"STARTPOWEROFF", 5, &Station::startPowerOff},
    {"STARTRESET", 5, &Station::startReset},
    {"STARTRESTORE", 5, &Station::startRestore},
    {"USERMODE", 5, &Station::userMode},
    {"FACTORYMODE", 5, &Station::factoryMode},
    {"RFCALDATACHECK", 5, &Station::rfCalDataCheck},
    {"GSMRFCALDATACHECK", 5, &Station::gsmRfCalDataCheck},
    {"TDRFCALDATACHECK", 5, &Station::tdRfCalDataCheck},
    {"LTERFCALDATACHECK", 5, &Station::lteRfCalDataCheck},
    {"WCDMARFCALDATACHECK", 5, &Station::wcdmaRfCalDataCheck},
    {"READWIFI", 5, &Station::readWifi},
    {"RFRSSICHECK", 5, &Station::rfRssiCheck},
    {"READCHARGERSTATUS", 5, &Station::readChargerStatus},
    {"USEMDB", 10, &Station::useMdb},
    {"CHECKMACNO", 20, &Station::checkMacNo},
    {"CHECKSNNO", 20, &Station::checkSnNo},
    {"CHECKPCBASNNO", 20, &Station::checkPcbaSnNo},
    {"CHECKIMEINO", 20, &Station::checkImeiNo},
    {"CHECKSSIDNO", 20, &Station::checkSsidNo},
    {"CHECKVER", 40, &Station::checkVer},
    {"CHECKRELDATETIME", 40, &Station::checkRelDateTime},
    {"2GRSSI", 5, &Station::rssi2g},
    {"3GRSSI", 5, &Station::rssi3g},
    {"4GRSSI", 5, &Station::rssi4g},
    {"CHECKSSIDLAST4DIGITS", 5, &Station::checkSsidLast4Digits},
    {"CHECKSCANMACANDIMEI", 5, &Station::checkScanMacAndImei},
    {"CHECKSCANIMEI", 5, &Station::checkScanImei},
    {"CHECKSCANMAC", 5, &Station::checkScanMac},
    {"CHECKSCANSN", 5, &Station::checkScanSn},
    {"CHECKSCANPCBASN", 5, &Station::checkScanPcbaSn},
    {"WRITE_UNLOCK_PN_SINGLE", 10, &Station::writeUnlockPnSingle},
    {"WRITE_LOCK_PN_SINGLE", 10, &Station::writeLockPnSingle},
    {"READ_LOCK_PN_SINGLE", 10, &Station::readLockPnSingle},
    {"WIRETRACE_DIR", 260, &Station::wireTraceDir},
});

inline constexpr auto kOnekey = std::to_array<ProfileKey<Onekey>>({
    {"READVER", 10, &Onekey::readVer},
    {"READIMEI", 10, &Onekey::readImei},
    {"READMAC", 10, &Onekey::readMac},
    {"READSN", 10, &Onekey::readSn},
    {"READPCBASN", 10, &Onekey::readPcbaSn},
    {"READSSID", 10, &Onekey::readSsid},
    {"READSIM", 10, &Onekey::readSim},
    {"READSD", 10, &Onekey::readSd},
    {"TESTKEY", 10, &Onekey::testKey},
    {"TESTOLED", 10, &Onekey::testOled},
    {"TESTLED", 5, &Onekey::testLed},
    {"RFCALDATACHECK", 5, &Onekey::rfCalDataCheck},
    {"GSMRFCALDATACHECK", 5, &Onekey::gsmRfCalDataCheck},
    {"TDRFCALDATACHECK", 5, &Onekey::tdRfCalDataCheck},
    {"LTERFCALDATACHECK", 5, &Onekey::lteRfCalDataCheck},
    {"WCDMARFCALDATACHECK", 5, &Onekey::wcdmaRfCalDataCheck},
    {"READWIFI", 5, &Onekey::readWifi},
    {"READRELDATE", 5, &Onekey::readRelDate},
    {"RFRSSICHECK", 5, &Onekey::rfRssiCheck},
    {"READCHARGERSTATUS", 5, &Onekey::readChargerStatus},
    {"WRITELINUXUSBMODE", 5, &Onekey::writeLinuxUsbMode},
    {"WRITE_LOCK_PN", 10, &Onekey::writeLockPn},
    {"WRITE_UNLOCK_PN", 10, &Onekey::writeUnlockPn},
    {"READLINUXUSBMODE", 5, &Onekey::readLinuxUsbMode},
    {"READ_LOCK_PN", 10, &Onekey::readLockPn},
    {"STARTRESET", 5, &Onekey::startReset},
    {"STARTRESTORE", 5, &Onekey::startRestore},
    {"DELAYTIME_BEFORE_RESET_OR_RESTORE", 10, &Onekey::delayTimeBeforeResetOrRestore},
});

inline constexpr auto kReadFromDb = std::to_array<ProfileKey<ReadFromDb>>({
    {"READ_MAC_FROM_DB_IMEI", 10, &ReadFromDb::readMacFromDbImei},
    {"READ_SN_FROM_DB_IMEI", 10, &ReadFromDb::readSnFromDbImei},
    {"READ_DB_FILE_NAME", 60, &ReadFromDb::readDbFileName},
    {"READ_DB_TABLE_NAME", 30, &ReadFromDb::readDbTableName},
});

inline constexpr auto kLockPn = std::to_array<ProfileKey<LockPn>>({
    {"LOCKPNCODE", 30, &LockPn::lockPnCode},
    {"LOCKCODE_FROMIMEI_ENABLE", 10, &LockPn::lockCodeFromImeiEnable},
    {"LOCKCODE_COMMAND", 256, &LockPn::lockCodeCommand},
});

inline constexpr auto kWriteOptions = std::to_array<ProfileKey<WriteOptions>>({
    {"CLEAR_AFTER_WRITE_IMEI", 10, &WriteOptions::clearAfterWriteImei},
    {"CLEAR_AFTER_WRITE_MAC", 10, &WriteOptions::clearAfterWriteMac},
    {"CLEAR_AFTER_WRITE_SN", 10, &WriteOptions::clearAfterWriteSn},
    {"WRITE_SN_AND_MAC", 10, &WriteOptions::writeSnAndMac},
    {"MAC_FIRST_8_BYTES", 9, &WriteOptions::macFirst8Bytes},
    {"READ_AFTER_WRITE_SN", 10, &WriteOptions::readAfterWriteSn},
});

inline constexpr auto kResultDb = std::to_array<ProfileKey<ResultDb>>({
    {"URL", 260, &ResultDb::url},
    {"STATION", 260, &ResultDb::station},  // cut to a whole character by the station
});

inline constexpr auto kMes = std::to_array<ProfileKey<Mes>>({
    {"URL", 260, &Mes::url},
    {"ADDRESS", 260, &Mes::address},
    {"HANDLE", 128, &Mes::handle},
    {"CREDENTIALS", 260, &Mes::credentials},
    {"PLAINTEXT_PASSWORD", 10, &Mes::plaintextPassword},
    {"HEARTBEAT", 10, &Mes::heartbeat},
    {"VALIDATE", 10, &Mes::validate},
    {"VALIDATOR", 260, &Mes::validator},
    {"VALIDATE_TIMEOUT", 10, &Mes::validateTimeout},
    {"ON_NO_ANSWER", 10, &Mes::onNoAnswer},
});

inline constexpr auto kOperator = std::to_array<ProfileKey<Operator>>({
    {"SIGNIN", 10, &Operator::signIn},
    {"IDLE_MINUTES", 10, &Operator::idleMinutes},
});

// Every text field of a section has a row: a field added to StationProfile
// without a row here would silently never be read.
static_assert(sizeof(Station) == kStation.size() * sizeof(std::string));
static_assert(sizeof(Onekey) == kOnekey.size() * sizeof(std::string));
static_assert(sizeof(ReadFromDb) == kReadFromDb.size() * sizeof(std::string));
static_assert(sizeof(LockPn) == kLockPn.size() * sizeof(std::string));
static_assert(sizeof(WriteOptions) == kWriteOptions.size() * sizeof(std::string));
static_assert(sizeof(ResultDb) == kResultDb.size() * sizeof(std::string));
static_assert(sizeof(Mes) == kMes.size() * sizeof(std::string));
static_assert(sizeof(Operator) == kOperator.size() * sizeof(std::string));

} // namespace profile_keys
