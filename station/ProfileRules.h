#pragma once

#include <initializer_list>
#include <string>

#include "config/StationProfile.h"
#include "station/ControlIds.h"

// Which controls each profile switch governs. A control whose switch is not
// "YES" is disabled (buttons, edits) or hidden (labels) at start-up.

struct StationSwitchRule {
    std::string StationProfile::StationSection::*field;
    std::initializer_list<int> controls;
};

struct OnekeySwitchRule {
    std::string StationProfile::OnekeySection::*field;
    int label;
};

using S = StationProfile::StationSection;
using O = StationProfile::OnekeySection;

// Buttons and fields disabled when a Station switch is off.
inline const StationSwitchRule kStationDisableRules[] = {
    {&S::readVer, {ctl::kReadVer}},
    {&S::readImei, {ctl::kReadImei}},
    {&S::readMac, {ctl::kReadMac}},
    {&S::readSn, {ctl::kReadSn}},
    {&S::readPcbaSn, {ctl::kReadPcbaSn}},
    {&S::readSsid, {ctl::kReadSsid}},
    {&S::readSim, {ctl::kReadSim}},
    {&S::readSd, {ctl::kReadSd}},
    {&S::testKey, {ctl::kKeyTest, ctl::kExitTest}},
    {&S::testOled, {ctl::kOledLightOn, ctl::kOledLightOff, ctl::kOledPass, ctl::kOledFail}},
    {&S::testLed, {ctl::kLedLightOn, ctl::kLedPass, ctl::kLedFail}},
    {&S::useMdb, {ctl::kTestFinish}},
    {&S::startPowerOff, {ctl::kPowerOff}},
    {&S::startReset, {ctl::kReset}},
    {&S::startRestore, {ctl::kRestore}},
    {&S::userMode, {ctl::kUserMode}},
    {&S::factoryMode, {ctl::kFactoryMode}},
    {&S::rfCalDataCheck, {ctl::kRfCheck}},
    {&S::gsmRfCalDataCheck, {ctl::kGsmBox}},
    {&S::tdRfCalDataCheck, {ctl::kTdBox}},
    {&S::lteRfCalDataCheck, {ctl::kLteBox}},
    {&S::wcdmaRfCalDataCheck, {ctl::kWcdmaBox}},
    {&S::readWifi, {ctl::kWifiStatus}},
    {&S::rfRssiCheck, {ctl::kRssiCheck}},
    {&S::readChargerStatus, {ctl::kCharging}},
};

// Scan fields and network-lock buttons, disabled by the profile loader.
inline const StationSwitchRule kLoaderDisableRules[] = {
    {&S::checkScanImei, {ctl::kScanImei}},
    {&S::checkScanMac, {ctl::kScanMac}},
    {&S::checkScanSn, {ctl::kScanSn}},
    {&S::checkScanPcbaSn, {ctl::kScanPcbaSn}},
    {&S::writeUnlockPnSingle, {ctl::kUnlock}},
    {&S::writeLockPnSingle, {ctl::kLock}},
    {&S::readLockPnSingle, {ctl::kReadPn}},
};

// One-key item labels hidden when an Onekey switch is off.
inline const OnekeySwitchRule kOnekeyLabelRules[] = {
    {&O::writeUnlockPn, ctl::kItemUnlockPn},
    {&O::readVer, ctl::kItemReadVer},
    {&O::readMac, ctl::kItemReadMac},
    {&O::readImei, ctl::kItemReadImei},
    {&O::readSn, ctl::kItemReadSn},
    {&O::readPcbaSn, ctl::kItemReadPcbaSn},
    {&O::readSsid, ctl::kItemReadSsid},
    {&O::readSim, ctl::kItemReadSim},
    {&O::readSd, ctl::kItemReadSd},
    {&O::readWifi, ctl::kItemWifiStatus},
    {&O::rfCalDataCheck, ctl::kItemRfCalCheck},
    {&O::readRelDate, ctl::kItemRelDateCheck},
    {&O::rfRssiCheck, ctl::kItemRssiCheck},
    {&O::testLed, ctl::kItemReadLed},
    {&O::testKey, ctl::kItemTestKey},
    {&O::readChargerStatus, ctl::kItemReadCharger},
    {&O::writeLinuxUsbMode, ctl::kItemWriteUsbMode},
    {&O::writeLockPn, ctl::kItemLockPn},
    {&O::readLinuxUsbMode, ctl::kItemConfirmUsbMode},
    {&O::readLockPn, ctl::kItemConfirmLock},
};
