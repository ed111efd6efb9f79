#pragma once

#include <cstdint>
#include <string>

#include "config/StationProfile.h"
#include "station/CRuriZudaDlg.h"
#include "station/FailureMask.h"

// How an item of the one-key test may end the sequence.
enum class OneKeyStop {
    Never,
    IfCheckFailedAfterPause,   // the identity check's outcome, after the 100 ms pause
    IfCheckFailedBeforePause,  // the same, before the pause
    ReleaseDate,               // no operation: the release date held is checked, no pause
};

// One row of the one-key test, in running order.
struct OneKeyItem {
    const char* name;                                  // its [Onekey] key
    std::string StationProfile::OnekeySection::*on;    // runs when "YES"
    void (CRuriZudaDlg::*operation)();                 // nullptr: no operation
    uint32_t failureBit;                               // 0: none of its own
    OneKeyStop stop = OneKeyStop::Never;
    int CheckOutcomes::*outcome = nullptr;             // for the identity stops
    int CRuriZudaDlg::*awaits = nullptr;               // judgement cleared before it runs
};

namespace onekey {

using OK = StationProfile::OnekeySection;
using D = CRuriZudaDlg;

// The sequence of the one-key test.
inline const OneKeyItem kItems[] = {
    {"WRITE_UNLOCK_PN", &OK::writeUnlockPn, &D::OnUnlockPn, failbit::kUnlock},
    {"READVER", &OK::readVer, &D::OnReadVersion, failbit::kReadVer},
    {"READRELDATE", &OK::readRelDate, nullptr, 0, OneKeyStop::ReleaseDate},
    {"READMAC", &OK::readMac, &D::OnReadMac, failbit::kReadMac, OneKeyStop::IfCheckFailedAfterPause,
     &CheckOutcomes::macCheckOk},
    {"READIMEI", &OK::readImei, &D::OnReadImei, failbit::kReadImei, OneKeyStop::IfCheckFailedAfterPause,
     &CheckOutcomes::imeiCheckOk},
    {"READSN", &OK::readSn, &D::OnReadSn, failbit::kReadSn, OneKeyStop::IfCheckFailedBeforePause,
     &CheckOutcomes::snCheckOk},
    {"READPCBASN", &OK::readPcbaSn, &D::OnReadPcbaSn, failbit::kReadPcbaSn, OneKeyStop::IfCheckFailedBeforePause,
     &CheckOutcomes::pcbaSnCheckOk},
    {"READSSID", &OK::readSsid, &D::OnReadSsid, failbit::kReadSsid},
    {"READCHARGERSTATUS", &OK::readChargerStatus, &D::OnCharging, failbit::kCharger},
    {"READSIM", &OK::readSim, &D::OnReadSim, failbit::kReadSim},
    {"READSD", &OK::readSd, &D::OnReadSd, failbit::kReadSd},
    {"RFCALDATACHECK", &OK::rfCalDataCheck, &D::OnRfCheck, failbit::kRfCal},
    {"READWIFI", &OK::readWifi, &D::OnWifiStatus, failbit::kWifi},
    {"RFRSSICHECK", &OK::rfRssiCheck, &D::OnRssiCheck, failbit::kRssi},
    {"WRITELINUXUSBMODE", &OK::writeLinuxUsbMode, &D::OnLinuxUsbMode, failbit::kWriteUsbMode},
    {"WRITE_LOCK_PN", &OK::writeLockPn, &D::OnLockPn, failbit::kLock},
    {"READLINUXUSBMODE", &OK::readLinuxUsbMode, &D::OnReadUsbMode, failbit::kConfirmUsbMode},
    {"READ_LOCK_PN", &OK::readLockPn, &D::OnReadPn, failbit::kConfirmLock},
    {"TESTLED", &OK::testLed, &D::OnLedLightOn, failbit::kLed, OneKeyStop::Never, nullptr, &D::LedJudged},
    {"TESTKEY", &OK::testKey, &D::OnKeyTest, failbit::kKey, OneKeyStop::Never, nullptr, &D::KeyJudged},
};

}  // namespace onekey
