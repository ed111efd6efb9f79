#pragma once

#include <filesystem>
#include <string>

#include "config/ProfileValues.h"

// The whole configuration of a test station, read once at start from
// workstation.ini. Every field holds the text of one key as read (cut to the
// key's buffer size); an absent key, section or file reads as "". Switches
// are tested with IsOn, prefixes with PrefixCheckEnabled. A key found in two
// sections is two independent fields. The key names and buffer sizes are in
// config/ProfileKeys.h.
struct StationProfile {
    // [Station]: single-item buttons, completeness check, scan fields,
    // prefixes and thresholds.
    struct StationSection {
        std::string readVer;
        std::string readImei;
        std::string readMac;
        std::string readSn;
        std::string readPcbaSn;
        std::string readSsid;
        std::string readSim;
        std::string readSd;
        std::string testKey;
        std::string testOled;
        std::string testLed;
        std::string startPowerOff;
        std::string startReset;
        std::string startRestore;
        std::string userMode;
        std::string factoryMode;
        std::string rfCalDataCheck;
        std::string gsmRfCalDataCheck;
        std::string tdRfCalDataCheck;
        std::string lteRfCalDataCheck;
        std::string wcdmaRfCalDataCheck;
        std::string readWifi;
        std::string rfRssiCheck;
        std::string readChargerStatus;
        std::string useMdb;
        std::string checkMacNo;        // hex digits without separators
        std::string checkSnNo;
        std::string checkPcbaSnNo;
        std::string checkImeiNo;
        std::string checkSsidNo;
        std::string checkVer;
        std::string checkRelDateTime;
        std::string rssi2g;            // 2GRSSI
        std::string rssi3g;            // 3GRSSI
        std::string rssi4g;            // 4GRSSI
        std::string checkSsidLast4Digits;
        std::string checkScanMacAndImei;  // read; nothing depends on it
        std::string checkScanImei;
        std::string checkScanMac;
        std::string checkScanSn;
        std::string checkScanPcbaSn;
        std::string writeUnlockPnSingle;
        std::string writeLockPnSingle;
        std::string readLockPnSingle;
        std::string wireTraceDir;  // folder of the per-unit wire trace files; "" off
    };

    // [Onekey]: the items of the one-key test and what follows a pass.
    struct OnekeySection {
        std::string readVer;
        std::string readImei;
        std::string readMac;
        std::string readSn;
        std::string readPcbaSn;
        std::string readSsid;
        std::string readSim;
        std::string readSd;
        std::string testKey;
        std::string testOled;             // read; nothing depends on it
        std::string testLed;
        std::string rfCalDataCheck;
        std::string gsmRfCalDataCheck;    // read; nothing depends on it
        std::string tdRfCalDataCheck;     // read; nothing depends on it
        std::string lteRfCalDataCheck;    // read; nothing depends on it
        std::string wcdmaRfCalDataCheck;  // read; nothing depends on it
        std::string readWifi;
        std::string readRelDate;
        std::string rfRssiCheck;
        std::string readChargerStatus;
        std::string writeLinuxUsbMode;
        std::string writeLockPn;
        std::string writeUnlockPn;
        std::string readLinuxUsbMode;
        std::string readLockPn;
        std::string startReset;
        std::string startRestore;         // wins over startReset
        std::string delayTimeBeforeResetOrRestore;  // as read; see delaySeconds
    };

    // [ReadFromDB]: the optional lookup database.
    struct ReadFromDbSection {
        std::string readMacFromDbImei;
        std::string readSnFromDbImei;
        std::string readDbFileName;
        std::string readDbTableName;
    };

    // [LockPN]: the network-lock code.
    struct LockPnSection {
        std::string lockPnCode;
        std::string lockCodeFromImeiEnable;
        // Program that turns the unit's IMEI into its unlock code; "" for
        // the IMEI itself. Used only while lockCodeFromImeiEnable is on.
        std::string lockCodeCommand;
    };

    // [WriteOptions]: how the identity writes of the writing station end.
    // All off unless set; see the example profile.
    struct WriteOptionsSection {
        std::string clearAfterWriteImei;  // empty the IMEI input instead of advancing it
        std::string clearAfterWriteMac;   // empty the MAC input instead of advancing it
        std::string clearAfterWriteSn;    // empty the SN input after the write
        std::string writeSnAndMac;        // after the SN, write macFirst8Bytes + the SN's last four
        std::string macFirst8Bytes;       // the MAC's first eight characters for writeSnAndMac
        std::string readAfterWriteSn;     // after the SN write, read SN and MAC back
    };

    // [ResultDB]: the optional line-wide result database. Without a URL
    // the station keeps PASS.mdb and FAIL.mdb beside it.
    struct ResultDbSection {
        std::string url;      // libpq connection string, never a password
        std::string station;  // this station's name, stored with each row
    };

    // [MES]: the optional hand-off of each stored unit to the factory's MES.
    // Without a URL nothing is sent.
    struct MesSection {
        std::string url;          // amqp://host:5672 or amqps://..., never a password
        std::string address;      // the AMQP target address on the broker
        std::string handle;       // this station's CFX handle
        std::string credentials;  // file of mode 0600 holding USER:PASSWORD
        // "1": a password may go over plain amqp:// (readable on the network)
        std::string plaintextPassword;
        // Seconds between the station's heartbeats; "" 60, "0" none
        std::string heartbeat;
        // "1": the MES validates each unit before its one-key test.
        std::string validate;
        std::string validator;        // the AMQP address of the MES's request queue
        std::string validateTimeout;  // seconds to wait for the answer; 5 when not set
        std::string onNoAnswer;       // "block" (when not set) or "allow"
    };

    // [Operator]: the operator's sign-in with a badge scan. Off unless
    // SIGNIN is "1".
    struct OperatorSection {
        std::string signIn;       // "1": no one-key test without a signed-in operator
        std::string idleMinutes;  // sign-out after this long without a stored unit (ParseIdleMinutes)
    };

    StationSection station;
    OnekeySection onekey;
    ReadFromDbSection readFromDb;
    LockPnSection lockPn;
    WriteOptionsSection writeOptions;
    ResultDbSection resultDb;
    MesSection mes;
    OperatorSection operatorSignIn;

    // onekey.delayTimeBeforeResetOrRestore as a number (ParseDelaySeconds).
    int delaySeconds = 0;
    // The file the profile was read from.
    std::string path;
};

inline constexpr const char* kStationProfileFileName = "workstation.ini";

// workstation.ini in the current directory (not the executable's). When the
// current directory cannot be determined, the bare file name.
std::filesystem::path StationProfilePath();

// Reads every key of the five sections from `file`. A missing file is not an
// error: it gives the empty profile (every switch off, delaySeconds 0).
StationProfile LoadStationProfileFile(const std::filesystem::path& file);
