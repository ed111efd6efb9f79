#pragma once

// Identifiers of the main window's controls. The controller addresses the
// window only through these names.
namespace ctl {

// Top strip and port.
inline constexpr int kOk = 1;
inline constexpr int kExit = 2;
inline constexpr int kEnterMaintenance = 1046;
inline constexpr int kExitMaintenance = 1049;
inline constexpr int kMaintenanceNotice = 1050;
inline constexpr int kPortList = 1001;
inline constexpr int kRefreshCom = 1002;

// Unit readings: value boxes.
inline constexpr int kVersionBox = 1003;
inline constexpr int kRelDateBox = 1030;
inline constexpr int kMacBox = 1005;
inline constexpr int kImeiBox = 1006;
inline constexpr int kSnBox = 1008;
inline constexpr int kPcbaSnBox = 1132;
inline constexpr int kSsidBox = 1007;
inline constexpr int kSimBox = 1013;
inline constexpr int kSdBox = 1014;
inline constexpr int kWifiBox = 1052;
inline constexpr int kChargingBox = 1119;
inline constexpr int kOledBox = 1019;
inline constexpr int kLedBox = 1055;
inline constexpr int kKeyBox = 1017;
inline constexpr int kGsmBox = 1041;
inline constexpr int kTdBox = 1042;
inline constexpr int kLteBox = 1043;
inline constexpr int kWcdmaBox = 1053;
inline constexpr int kRssi2gBox = 1094;
inline constexpr int kRssi3gBox = 1095;
inline constexpr int kRssi4gBox = 1096;
inline constexpr int kLinuxUsbModeBox = 1130;
inline constexpr int kResultBox = 1022;

// Unit readings: buttons.
inline constexpr int kReadVer = 1004;
inline constexpr int kCheckDate = 1086;
inline constexpr int kReadMac = 1009;
inline constexpr int kReadImei = 1010;
inline constexpr int kReadSn = 1011;
inline constexpr int kReadPcbaSn = 1131;
inline constexpr int kReadSsid = 1012;
inline constexpr int kReadSim = 1015;
inline constexpr int kReadSd = 1016;
inline constexpr int kWifiStatus = 1051;
inline constexpr int kCharging = 1120;
inline constexpr int kOledLightOn = 1034;
inline constexpr int kOledLightOff = 1035;
inline constexpr int kOledPass = 1036;
inline constexpr int kOledFail = 1020;
inline constexpr int kLedLightOn = 1056;
inline constexpr int kLedLightOff = 1057;
inline constexpr int kLedPass = 1058;
inline constexpr int kLedFail = 1059;
inline constexpr int kKeyTest = 1037;
inline constexpr int kExitTest = 1018;
inline constexpr int kRfCheck = 1044;
inline constexpr int kRssiCheck = 1093;
inline constexpr int kLinuxUsbMode = 1124;

// Indicator pictures.
inline constexpr int kMainLamp = 1029;
inline constexpr int kSimLamp = 1047;
inline constexpr int kSdLamp = 1048;
inline constexpr int kWifiLamp = 1054;
inline constexpr int kOneKeyLamp = 1101;
inline constexpr int kPresenceLamp = 1154;

// Scan fields.
inline constexpr int kScanMac = 1117;
inline constexpr int kScanImei = 1118;
inline constexpr int kScanSn = 1129;
inline constexpr int kScanPcbaSn = 1135;

// Operator sign-in: the badge scan field, its caption and who is signed in.
inline constexpr int kOperatorBadgeLabel = 1160;
inline constexpr int kOperatorBadge = 1161;
inline constexpr int kOperatorName = 1162;

// Reference values shown from the profile.
inline constexpr int kRefMacNo = 1024;
inline constexpr int kRefSnNo = 1025;
inline constexpr int kRefPcbaSnNo = 1136;
inline constexpr int kRefImeiNo = 1026;
inline constexpr int kRefSsidNo = 1027;
inline constexpr int kRefVersionNo = 1028;
inline constexpr int kRefRelDate = 1073;
inline constexpr int kRef2g = 1098;
inline constexpr int kRef3g = 1099;
inline constexpr int kRef4g = 1100;
inline constexpr int kRefGenerateDb = 1023;
inline constexpr int kRefRestoreAfterTest = 1151;
inline constexpr int kRefRebootAfterTest = 1152;
inline constexpr int kRefDelayAfterTest = 1153;

// One-key area.
inline constexpr int kOneKeyTest = 1045;
inline constexpr int kOneKeyResultBox = 1097;

// One-key item labels.
inline constexpr int kItemReadVer = 1060;
inline constexpr int kItemReadMac = 1061;
inline constexpr int kItemReadImei = 1062;
inline constexpr int kItemReadSn = 1063;
inline constexpr int kItemReadPcbaSn = 1133;
inline constexpr int kItemReadSsid = 1064;
inline constexpr int kItemReadSim = 1065;
inline constexpr int kItemReadSd = 1066;
inline constexpr int kItemWifiStatus = 1067;
inline constexpr int kItemRfCalCheck = 1068;
inline constexpr int kItemRelDateCheck = 1080;
inline constexpr int kItemRssiCheck = 1081;
inline constexpr int kItemReadLed = 1114;
inline constexpr int kItemTestKey = 1115;
inline constexpr int kItemReadCharger = 1122;
inline constexpr int kItemWriteUsbMode = 1125;
inline constexpr int kItemLockPn = 1143;
inline constexpr int kItemUnlockPn = 1145;
inline constexpr int kItemConfirmUsbMode = 1147;
inline constexpr int kItemConfirmLock = 1148;

// One-key failure labels.
inline constexpr int kFailReadVer = 1102;
inline constexpr int kFailReadMac = 1103;
inline constexpr int kFailReadImei = 1104;
inline constexpr int kFailReadSn = 1105;
inline constexpr int kFailReadSsid = 1106;
inline constexpr int kFailReadSim = 1107;
inline constexpr int kFailReadSd = 1108;
inline constexpr int kFailWifiStatus = 1109;
inline constexpr int kFailRfCalCheck = 1110;
inline constexpr int kFailRelDateCheck = 1111;
inline constexpr int kFailRssiCheck = 1112;
inline constexpr int kFailReadLed = 1113;
inline constexpr int kFailTestKey = 1116;
inline constexpr int kFailReadCharger = 1121;
inline constexpr int kFailWriteUsbMode = 1126;
inline constexpr int kFailReadPcbaSn = 1134;
inline constexpr int kFailLock = 1144;
inline constexpr int kFailUnlock = 1146;
inline constexpr int kFailConfirmUsbMode = 1149;
inline constexpr int kFailConfirmLock = 1150;

// Right column: network lock.
inline constexpr int kReadPnBox = 1137;
inline constexpr int kReadPn = 1138;
inline constexpr int kUnlockBox = 1139;
inline constexpr int kUnlock = 1140;
inline constexpr int kLockBox = 1141;
inline constexpr int kLock = 1142;

// Identity-write group (hidden).
inline constexpr int kWriteImeiEdit = 1069;
inline constexpr int kWriteMacEdit = 1070;
inline constexpr int kWriteSnEdit = 1072;
inline constexpr int kWriteMacImei = 1071;
inline constexpr int kWriteSnMacImei = 9;
inline constexpr int kWriteImei = 3;
inline constexpr int kWriteMac = 5;
inline constexpr int kWriteSn = 8;
inline constexpr int kWriteNoLabel = 1082;
inline constexpr int kWriteImeiLabel = 1083;
inline constexpr int kWriteMacLabel = 1084;
inline constexpr int kWriteSnLabel = 1085;
// The write options as configured, shown read-only.
inline constexpr int kMacFirst8Box = 1074;
inline constexpr int kWriteSnAndMacBox = 1075;
inline constexpr int kReadAfterWriteSnBox = 1076;
inline constexpr int kClearAfterWriteSnBox = 1077;
inline constexpr int kClearAfterWriteMacBox = 1078;
inline constexpr int kClearAfterWriteImeiBox = 1079;
inline constexpr int kMacFirst8Label = 1087;
inline constexpr int kWriteSnAndMacLabel = 1088;
inline constexpr int kReadAfterWriteSnLabel = 1089;
inline constexpr int kClearAfterWriteSnLabel = 1090;
inline constexpr int kClearAfterWriteMacLabel = 1091;
inline constexpr int kClearAfterWriteImeiLabel = 1092;
// Every control of the group: hidden on the test station, shown on the
// writing station.
inline constexpr int kIdentityWriteGroup[] = {
    kWriteNoLabel, kWriteImeiLabel, kWriteImeiEdit, kWriteMacLabel, kWriteMacEdit, kWriteSnLabel, kWriteSnEdit,
    kWriteImei, kWriteMac, kWriteSn, kWriteMacImei, kWriteSnMacImei,
    kMacFirst8Label, kMacFirst8Box, kWriteSnAndMacLabel, kWriteSnAndMacBox, kReadAfterWriteSnLabel,
    kReadAfterWriteSnBox, kClearAfterWriteSnLabel, kClearAfterWriteSnBox, kClearAfterWriteMacLabel,
    kClearAfterWriteMacBox, kClearAfterWriteImeiLabel, kClearAfterWriteImeiBox,
};

// Bottom rows.
inline constexpr int kTestFinish = 1021;
inline constexpr int kRetest = 1040;
inline constexpr int kUserMode = 1038;
inline constexpr int kFactoryMode = 1039;
inline constexpr int kPowerOff = 1031;
inline constexpr int kReset = 1032;
inline constexpr int kRestore = 1033;
inline constexpr int kWindowsUsbMode = 1123;
inline constexpr int kReadUsbMode = 1127;
inline constexpr int kUsbModeBox = 1128;

// Window timers.
inline constexpr int kKeyPollTimer = 1;
inline constexpr int kOneKeyWaitTimer = 2;
inline constexpr int kTimerPeriodMs = 1000;
inline constexpr int kMesStatusTimer = 3;  // refreshes the MES status note
inline constexpr int kUnitValidationTimer = 6;  // reads the MES's go-ahead for the unit
inline constexpr int kUnitValidationPollMs = 20;
inline constexpr int kOperatorIdleTimer = 8;  // signs the operator out after the idle time

}  // namespace ctl
