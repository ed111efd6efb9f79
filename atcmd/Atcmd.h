#pragma once

// The device command set: every AT command the station sends to the unit.
// Each returns 1 on success and 0 on failure. Output texts go into buffers
// the caller provides zero-filled; unless a command says otherwise the
// characters are written without a terminating zero. Commands need the port
// opened by AtOpen and leave it open.

// Longest value each read can return; the caller's buffer holds one more.
inline constexpr int kImeiMax = 17;
inline constexpr int kMacMax = 20;
inline constexpr int kVersionMax = 58;
inline constexpr int kSnMax = 28;
inline constexpr int kSsidMax = 60;
inline constexpr int kPcbaSnMax = 28;
// Each signal field buffer holds 5 bytes: 4 characters and the terminator.
inline constexpr int kRssiFieldSize = 5;

// Longest value each write can carry.
inline constexpr int kWriteImeiMax = 16;
inline constexpr int kWriteMacMax = 13;
inline constexpr int kWriteSnMax = 20;
inline constexpr int kUnlockCodeMax = 18;

// Sizes of buffers that receive a fixed result text, terminator included.
inline constexpr int kStatusTextSize = 32;  // SIM, SD, charger, PN state, PN lock results, key report

enum class CalFile { Gsm, Td, Lte, RfAnalysis, RfCalibration };

// Port.
int AtOpen(const char* devicePath);
int AtClose();

// Identity queries.
int AtReadImei(char* imei);
int AtReadMac(char* mac);
int AtReadVersion(char* version, char* releaseTime);
int AtReadSn(char* sn);
int AtReadSsid(char* ssid);
int AtReadPcbaSn(char* pcbaSn);

// Status and test queries. Text outputs of these are terminated.
int AtReadRssi(char* rssi2g, char* rssi3g, char* rssi4g);
int AtDetectSim(char* status);
int AtReadSdCard(char* status);
int AtReadWifiState();
int AtCheckCharger(char* verdict);
int AtQueryCalFile(CalFile file);
int AtReadUsbMode(char* mode);  // one character, not terminated
int AtReadPnLock(char* state);

// Writes and control commands. Values too long for their request are
// refused before anything is sent.
int AtWriteImei(const char* imei);
int AtWriteMac(const char* mac);
int AtWriteSn(const char* sn);
int AtWriteUsbMode(int mode);  // 0, 2, 4 or 5
int AtLockPn(char* result);
int AtUnlockPn(const char* code, char* result);
int AtPowerOff();
int AtReset();
int AtRestore();
int AtLcdOn();
int AtLcdOff();
int AtLedAllOn();
int AtKeyTestStart();
int AtKeyTestStop();
int AtPollKeyReport(char* result);
