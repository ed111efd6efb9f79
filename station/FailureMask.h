#pragma once

#include <cstdint>

#include "station/ControlIds.h"

// Bits of the current unit's failure mask, one per failed item.
namespace failbit {
inline constexpr uint32_t kReadVer = 0x1;
inline constexpr uint32_t kReadImei = 0x4;
inline constexpr uint32_t kReadMac = 0x8;
inline constexpr uint32_t kReadSn = 0x10;
inline constexpr uint32_t kReadSsid = 0x20;
inline constexpr uint32_t kReadSim = 0x40;
inline constexpr uint32_t kReadSd = 0x80;
inline constexpr uint32_t kOled = 0x100;
inline constexpr uint32_t kLed = 0x200;
inline constexpr uint32_t kWifi = 0x400;
inline constexpr uint32_t kRfCal = 0x800;
inline constexpr uint32_t kRssi = 0x1000;
inline constexpr uint32_t kKey = 0x2000;
inline constexpr uint32_t kCharger = 0x4000;
inline constexpr uint32_t kWriteUsbMode = 0x8000;
inline constexpr uint32_t kReadPcbaSn = 0x10000;
inline constexpr uint32_t kLock = 0x20000;
inline constexpr uint32_t kUnlock = 0x40000;
inline constexpr uint32_t kConfirmLock = 0x80000;
inline constexpr uint32_t kConfirmUsbMode = 0x100000;
}  // namespace failbit

// The failure labels under "ONEKEY TEST FAILURE ITEM：" and the bit each shows.
struct FailureLabel {
    uint32_t bit;
    int label;
};

inline constexpr FailureLabel kFailureLabels[] = {
    {failbit::kReadVer, ctl::kFailReadVer},
    {failbit::kReadImei, ctl::kFailReadImei},
    {failbit::kReadMac, ctl::kFailReadMac},
    {failbit::kReadSn, ctl::kFailReadSn},
    {failbit::kReadSsid, ctl::kFailReadSsid},
    {failbit::kReadSim, ctl::kFailReadSim},
    {failbit::kReadSd, ctl::kFailReadSd},
    {failbit::kLed, ctl::kFailReadLed},
    {failbit::kWifi, ctl::kFailWifiStatus},
    {failbit::kRfCal, ctl::kFailRfCalCheck},
    {failbit::kRssi, ctl::kFailRssiCheck},
    {failbit::kKey, ctl::kFailTestKey},
    {failbit::kCharger, ctl::kFailReadCharger},
    {failbit::kWriteUsbMode, ctl::kFailWriteUsbMode},
    {failbit::kReadPcbaSn, ctl::kFailReadPcbaSn},
    {failbit::kLock, ctl::kFailLock},
    {failbit::kUnlock, ctl::kFailUnlock},
    {failbit::kConfirmLock, ctl::kFailConfirmLock},
    {failbit::kConfirmUsbMode, ctl::kFailConfirmUsbMode},
};
