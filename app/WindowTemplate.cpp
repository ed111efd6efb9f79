#include "app/WindowTemplate.h"

#include <algorithm>

#include "records/ResultRow.h"
#include "station/ControlIds.h"

namespace {

using K = ControlKind;

// Heights of the control kinds.
constexpr int kEditH = 12;
constexpr int kButtonH = 14;
constexpr int kLabelH = 10;
constexpr int kSmallLabelH = 9;
constexpr int kPictureW = 54;
constexpr int kPictureH = 13;

// Left column: unit readings, one row per item.
constexpr int kRowLabelX = 10;
constexpr int kRowLabelW = 66;
constexpr int kValueX = 80;
constexpr int kButtonX = 270;
constexpr int kButtonW = 62;
constexpr int kFirstRowY = 35;
constexpr int kRowStep = 15;

constexpr int RowY(int row) { return kFirstRowY + row * kRowStep; }

// Middle column: scan fields, reference values, one-key button and result.
constexpr int kMidX = 337;
constexpr int kMidRight = 570;
constexpr int kScanLabelW = 52;
constexpr int kScanEditX = 393;
constexpr int kFirstScanY = 40;
constexpr int kScanStep = 14;
constexpr int kFirstRefY = 98;
constexpr int kRefLabelW = 48;
constexpr int kRefEditX = 389;
constexpr int kRefEditW = 66;
constexpr int kRefRightLabelX = 460;
constexpr int kRefRightLabelW = 50;
constexpr int kRefRightEditX = 513;
constexpr int kOneKeyButtonY = 169;
constexpr int kOneKeyResultY = 187;

// Operator sign-in: the badge field right of the one-key button, the
// operator's name between the top strip and the first reading.
constexpr int kBadgeLabelX = 441;
constexpr int kBadgeLabelW = 26;
constexpr int kBadgeEditX = 469;
constexpr int kOperatorNameY = 24;

constexpr int ScanY(int row) { return kFirstScanY + row * kScanStep; }
constexpr int RefY(int row) { return kFirstRefY + row * kScanStep; }

// Right column: window buttons, network lock, post-test settings, the
// identity-write group.
constexpr int kRightX = 580;
constexpr int kRightEnd = 760;
constexpr int kLockEditW = 110;
constexpr int kLockButtonX = 694;
constexpr int kFirstLockY = 40;
constexpr int kFirstPostTestY = 89;
constexpr int kPostTestLabelW = 80;
constexpr int kPostTestEditX = 664;
constexpr int kFirstWriteY = 138;
constexpr int kWriteStep = 14;
constexpr int kWriteLabelW = 66;
constexpr int kWriteEditX = 650;
constexpr int kWriteButtonsY = 180;
// The write options: a block of two columns below the failure labels.
constexpr int kOptionsX = 502;
constexpr int kFirstOptionY = 309;
constexpr int kOptionStep = 13;
constexpr int kOptionColumnStep = 130;
constexpr int kOptionLabelW = 98;
constexpr int kOptionEditW = 28;
constexpr int kMacFirst8LabelW = 84;
constexpr int kMacFirst8EditW = kRightEnd - (kOptionsX + kOptionColumnStep + kMacFirst8LabelW + 2);

// One-key item and failure labels: five columns across middle and right.
constexpr int kGridColumns = 5;
constexpr int kGridColumnStep = 85;
constexpr int kGridLabelW = 80;
constexpr int kGridRowStep = 10;
constexpr int kFirstItemY = 211;
constexpr int kFailureHeadingY = 254;
constexpr int kFirstFailureY = 266;

// Bottom rows.
constexpr int kBottomRow1Y = 320;
constexpr int kBottomRow2Y = 346;

// Edits that take the operator's input.
constexpr int kImeiMaxLength = 15;
constexpr int kMacMaxLength = 18;
constexpr int kSnMaxLength = 28;

constexpr ControlTemplate RowLabel(int row, const char* caption)
{
    return {0, K::Label, caption, {kRowLabelX, RowY(row) + 2, kRowLabelW, kLabelH}};
}

constexpr ControlTemplate RowEdit(int id, int row, int x, int w)
{
    return {id, K::Edit, "", {x, RowY(row), w, kEditH}};
}

constexpr ControlTemplate RowButton(int id, int row, const char* caption, int x = kButtonX, int w = kButtonW,
                                    bool visible = true)
{
    return {id, K::Button, caption, {x, RowY(row) - 1, w, kButtonH}, visible};
}

constexpr ControlTemplate RowSmallLabel(int row, const char* caption, int x, int w)
{
    return {0, K::Label, caption, {x, RowY(row) + 2, w, kLabelH}};
}

constexpr ControlTemplate RowPicture(int id, int row, int x)
{
    return {id, K::Picture, "", {x, RowY(row) - 1, kPictureW, kPictureH}};
}

constexpr ControlTemplate ScanEdit(int id, int row, int maxLength)
{
    return {id, K::Edit, "", {kScanEditX, ScanY(row), kMidRight - kScanEditX, kEditH}, true, true, maxLength};
}

constexpr ControlTemplate ScanLabel(int row, const char* caption)
{
    return {0, K::Label, caption, {kMidX, ScanY(row) + 2, kScanLabelW, kLabelH}};
}

// A reference value in the left or right half of the middle column.
constexpr ControlTemplate RefLabel(int row, bool right, const char* caption)
{
    return {0, K::Label, caption,
            {right ? kRefRightLabelX : kMidX, RefY(row) + 2, right ? kRefRightLabelW : kRefLabelW, kLabelH}};
}

constexpr ControlTemplate RefEdit(int id, int row, bool right)
{
    const int x = right ? kRefRightEditX : kRefEditX;
    const int w = right ? kMidRight - kRefRightEditX : kRefEditW;
    return {id, K::ReferenceEdit, "", {x, RefY(row), w, kEditH}, true, false};
}

constexpr ControlTemplate LockEdit(int id, int row)
{
    return {id, K::Edit, "", {kRightX, kFirstLockY + row * kRowStep, kLockEditW, kEditH}};
}

constexpr ControlTemplate LockButton(int id, int row, const char* caption)
{
    return {id, K::Button, caption, {kLockButtonX, kFirstLockY + row * kRowStep - 1, kRightEnd - kLockButtonX, kButtonH}};
}

constexpr ControlTemplate PostTestLabel(int row, const char* caption)
{
    return {0, K::Label, caption, {kRightX, kFirstPostTestY + row * kRowStep + 2, kPostTestLabelW, kLabelH}};
}

constexpr ControlTemplate PostTestEdit(int id, int row)
{
    return {id, K::ReferenceEdit, "", {kPostTestEditX, kFirstPostTestY + row * kRowStep, kRightEnd - kPostTestEditX, kEditH},
            true, false};
}

// The identity-write group is built hidden and never shown.
constexpr ControlTemplate WriteLabel(int id, int row, const char* caption)
{
    return {id, K::Label, caption, {kRightX, kFirstWriteY + row * kWriteStep + 2, kWriteLabelW, kLabelH}, false};
}

constexpr ControlTemplate WriteEdit(int id, int row, int maxLength)
{
    return {id, K::Edit, "", {kWriteEditX, kFirstWriteY + row * kWriteStep, kRightEnd - kWriteEditX, kEditH},
            false, true, maxLength};
}

constexpr ControlTemplate WriteButton(int id, const char* caption, int row, int x, int w)
{
    return {id, K::Button, caption, {x, kWriteButtonsY + row * kWriteStep, w, kEditH}, false};
}

// A write option as configured: its label and its read-only value, at `row`
// of `column`; `labelW` leaves room for a longer value.
constexpr ControlTemplate OptionLabel(int id, int row, int column, const char* caption, int labelW = kOptionLabelW)
{
    return {id, K::Label, caption,
            {kOptionsX + column * kOptionColumnStep, kFirstOptionY + row * kOptionStep + 2, labelW, kLabelH}, false};
}

constexpr ControlTemplate OptionEdit(int id, int row, int column, int labelW = kOptionLabelW, int editW = kOptionEditW)
{
    return {id, K::ReferenceEdit, "",
            {kOptionsX + column * kOptionColumnStep + labelW + 2, kFirstOptionY + row * kOptionStep, editW, kEditH},
            false, false};
}

// Position `index` of a five-column grid of labels starting at `firstY`.
constexpr ControlTemplate GridLabel(int id, int index, int firstY, const char* caption)
{
    return {id, K::Label, caption,
            {kMidX + (index % kGridColumns) * kGridColumnStep, firstY + (index / kGridColumns) * kGridRowStep,
             kGridLabelW, kSmallLabelH}};
}

constexpr ControlTemplate ItemLabel(int id, int index, const char* caption)
{
    return GridLabel(id, index, kFirstItemY, caption);
}

constexpr ControlTemplate FailureLabel(int id, int index, const char* caption)
{
    return GridLabel(id, index, kFirstFailureY, caption);
}

constexpr ControlTemplate BottomButton(int id, const char* caption, int y, int x, int w)
{
    return {id, K::Button, caption, {x, y, w, kButtonH}};
}

// Left-column row numbers.
enum Row {
    kVersionRow, kRelDateRow, kMacRow, kImeiRow, kSnRow, kPcbaSnRow, kSsidRow, kSimRow, kSdRow, kWifiRow,
    kChargingRow, kOledRow, kLedRow, kKeyRow, kRfCalRow, kRssiRow, kLinuxUsbRow, kResultRow,
};

// Places shared by the rows with several controls.
constexpr int kPictureRowEditW = 128;
constexpr int kRowPictureX = 212;
constexpr int kWideEditW = 184;
constexpr int kJudgeEditW = 60;
constexpr int kLightOnX = 144;
constexpr int kLightOffX = 206;
constexpr int kLightButtonW = 58;
constexpr int kLightOffW = 60;
constexpr int kVerdictW = 29;
constexpr int kFailVerdictX = 303;

constexpr ControlTemplate kTemplate[] = {
    // The first five in tab order: the Enter-key walk of the scanner relies on it.
    ScanEdit(ctl::kScanMac, 0, kMacMaxLength),
    ScanEdit(ctl::kScanImei, 1, kImeiMaxLength),
    ScanEdit(ctl::kScanSn, 2, kSnMaxLength),
    ScanEdit(ctl::kScanPcbaSn, 3, kSnMaxLength),
    {ctl::kOneKeyTest, K::Button, "ONEKEY TEST(TEST ITEM)", {kMidX, kOneKeyButtonY, 100, 15}},
    ScanLabel(0, "SCAN MAC"),
    ScanLabel(1, "SCAN IMEI"),
    ScanLabel(2, "SCAN SN"),
    ScanLabel(3, "PCBASN SCAN"),
    // Operator sign-in, shown when it is on: the badge field beside the
    // one-key button, who is signed in above the unit readings.
    {ctl::kOperatorBadgeLabel, K::Label, "BADGE", {kBadgeLabelX, kOneKeyButtonY + 3, kBadgeLabelW, kLabelH}, false},
    {ctl::kOperatorBadge, K::Edit, "", {kBadgeEditX, kOneKeyButtonY + 1, kMidRight - kBadgeEditX, kEditH}, false, true,
     kOperatorColumnLength},
    {ctl::kOperatorName, K::Label, "OPERATOR:", {kRowLabelX, kOperatorNameY, kButtonX + kButtonW - kRowLabelX, kLabelH},
     false},

    // Top strip and port.
    {0, K::GroupLabel, "KAVO FUNC TEST TOOLS", {kRowLabelX, 12, 104, kLabelH}},
    {0, K::Label, "COM SETTING", {120, 12, 52, kLabelH}},
    {ctl::kPortList, K::ComboBox, "", {176, 10, 88, kEditH}, true, false},
    {ctl::kRefreshCom, K::Button, "REFRESH COM", {kButtonX, 9, kButtonW, kButtonH}, false},
    {ctl::kEnterMaintenance, K::Button, "ENTER MAINTENANCE", {kMidX, 9, 92, kButtonH}},
    {ctl::kExitMaintenance, K::Button, "EXIT MAINTENANCE", {433, 9, 92, kButtonH}, false},
    {ctl::kMaintenanceNotice, K::Label,
     "In mantenance mode，SN MAC IMEI in database can be written into database again",
     {kMidX, 26, kRightEnd - kMidX, kLabelH}, false},
    {ctl::kOk, K::DefaultButton, "OK", {kRightX, 9, 86, kButtonH}},
    {ctl::kExit, K::Button, "EXIT", {674, 9, kRightEnd - 674, kButtonH}},

    // Unit readings.
    RowLabel(kVersionRow, "VERSION"),
    RowEdit(ctl::kVersionBox, kVersionRow, kValueX, kWideEditW),
    RowButton(ctl::kReadVer, kVersionRow, "READ VER"),
    RowLabel(kRelDateRow, "REL DATE"),
    RowEdit(ctl::kRelDateBox, kRelDateRow, kValueX, kWideEditW),
    RowButton(ctl::kCheckDate, kRelDateRow, "CHECK DATE", kButtonX, kButtonW, false),
    RowLabel(kMacRow, "MAC ADDR"),
    RowEdit(ctl::kMacBox, kMacRow, kValueX, kWideEditW),
    RowButton(ctl::kReadMac, kMacRow, "READ MAC"),
    RowLabel(kImeiRow, "IMEI NO"),
    RowEdit(ctl::kImeiBox, kImeiRow, kValueX, kWideEditW),
    RowButton(ctl::kReadImei, kImeiRow, "READ IMEI"),
    RowLabel(kSnRow, "SN NO"),
    RowEdit(ctl::kSnBox, kSnRow, kValueX, kWideEditW),
    RowButton(ctl::kReadSn, kSnRow, "READ SN"),
    RowLabel(kPcbaSnRow, "PCBA SN"),
    RowEdit(ctl::kPcbaSnBox, kPcbaSnRow, kValueX, kWideEditW),
    RowButton(ctl::kReadPcbaSn, kPcbaSnRow, "READPCBASN"),
    RowLabel(kSsidRow, "SSID"),
    RowEdit(ctl::kSsidBox, kSsidRow, kValueX, kWideEditW),
    RowButton(ctl::kReadSsid, kSsidRow, "READ SSID"),
    RowLabel(kSimRow, "SIM"),
    RowEdit(ctl::kSimBox, kSimRow, kValueX, kPictureRowEditW),
    RowPicture(ctl::kSimLamp, kSimRow, kRowPictureX),
    RowButton(ctl::kReadSim, kSimRow, "READ SIM"),
    RowLabel(kSdRow, "SD"),
    RowEdit(ctl::kSdBox, kSdRow, kValueX, kPictureRowEditW),
    RowPicture(ctl::kSdLamp, kSdRow, kRowPictureX),
    RowButton(ctl::kReadSd, kSdRow, "READ  SD"),
    RowLabel(kWifiRow, "WIFI"),
    RowEdit(ctl::kWifiBox, kWifiRow, kValueX, kPictureRowEditW),
    RowPicture(ctl::kWifiLamp, kWifiRow, kRowPictureX),
    RowButton(ctl::kWifiStatus, kWifiRow, "WIFI STATUS"),
    RowLabel(kChargingRow, "CHARGING"),
    RowEdit(ctl::kChargingBox, kChargingRow, kValueX, kWideEditW),
    RowButton(ctl::kCharging, kChargingRow, "CHARGING"),
    RowLabel(kOledRow, "OLED"),
    RowEdit(ctl::kOledBox, kOledRow, kValueX, kJudgeEditW),
    RowButton(ctl::kOledLightOn, kOledRow, "LIGHT ON", kLightOnX, kLightButtonW),
    RowButton(ctl::kOledLightOff, kOledRow, "LIGHT OFF", kLightOffX, kLightOffW),
    RowButton(ctl::kOledPass, kOledRow, "PASS", kButtonX, kVerdictW),
    RowButton(ctl::kOledFail, kOledRow, "FAIL", kFailVerdictX, kVerdictW),
    RowLabel(kLedRow, "LED"),
    RowEdit(ctl::kLedBox, kLedRow, kValueX, kJudgeEditW),
    RowButton(ctl::kLedLightOn, kLedRow, "LIGHT ON", kLightOnX, kLightButtonW),
    RowButton(ctl::kLedLightOff, kLedRow, "LIGHT OFF", kLightOffX, kLightOffW, false),
    RowButton(ctl::kLedPass, kLedRow, "PASS", kButtonX, kVerdictW),
    RowButton(ctl::kLedFail, kLedRow, "FAIL", kFailVerdictX, kVerdictW),
    RowLabel(kKeyRow, "KEY"),
    RowEdit(ctl::kKeyBox, kKeyRow, kValueX, 122),
    RowButton(ctl::kKeyTest, kKeyRow, "KEY TEST", kLightOffX, kLightOffW),
    RowButton(ctl::kExitTest, kKeyRow, "EXIT TEST"),
    RowLabel(kRfCalRow, "RFCAL CHECK"),
    RowSmallLabel(kRfCalRow, "GSM", 80, 18),
    RowEdit(ctl::kGsmBox, kRfCalRow, 98, 26),
    RowSmallLabel(kRfCalRow, "TD", 127, 11),
    RowEdit(ctl::kTdBox, kRfCalRow, 138, 26),
    RowSmallLabel(kRfCalRow, "LTE", 167, 15),
    RowEdit(ctl::kLteBox, kRfCalRow, 182, 26),
    RowSmallLabel(kRfCalRow, "WCDMA", 211, 28),
    RowEdit(ctl::kWcdmaBox, kRfCalRow, 240, 26),
    RowButton(ctl::kRfCheck, kRfCalRow, "RF CHECK"),
    RowLabel(kRssiRow, "RSSI CHECK"),
    RowSmallLabel(kRssiRow, "2G", 80, 11),
    RowEdit(ctl::kRssi2gBox, kRssiRow, 92, 45),
    RowSmallLabel(kRssiRow, "3G", 141, 11),
    RowEdit(ctl::kRssi3gBox, kRssiRow, 153, 45),
    RowSmallLabel(kRssiRow, "4G", 202, 11),
    RowEdit(ctl::kRssi4gBox, kRssiRow, 214, 52),
    RowButton(ctl::kRssiCheck, kRssiRow, "RSSI CHECK"),
    RowLabel(kLinuxUsbRow, "LINUX USBMODE"),
    RowEdit(ctl::kLinuxUsbModeBox, kLinuxUsbRow, kValueX, 176),
    RowButton(ctl::kLinuxUsbMode, kLinuxUsbRow, "LINUX USB MODE", 260, 72),
    RowLabel(kResultRow, "RESULT"),
    RowEdit(ctl::kResultBox, kResultRow, kValueX, kWideEditW),
    RowPicture(ctl::kMainLamp, kResultRow, kButtonX),

    // Reference values written from the station profile.
    RefLabel(0, false, "MAC NO"),
    RefEdit(ctl::kRefMacNo, 0, false),
    RefLabel(0, true, "SN NO"),
    RefEdit(ctl::kRefSnNo, 0, true),
    RefLabel(1, false, "PCBA SN"),
    RefEdit(ctl::kRefPcbaSnNo, 1, false),
    RefLabel(1, true, "IMEI NO"),
    RefEdit(ctl::kRefImeiNo, 1, true),
    RefLabel(2, false, "SSID NO"),
    RefEdit(ctl::kRefSsidNo, 2, false),
    RefLabel(2, true, "VERSION NO"),
    RefEdit(ctl::kRefVersionNo, 2, true),
    RefLabel(3, false, "REL DATE"),
    RefEdit(ctl::kRefRelDate, 3, false),
    RefLabel(3, true, "Generate DB"),
    RefEdit(ctl::kRefGenerateDb, 3, true),
    {0, K::Label, "2G", {kMidX, RefY(4) + 2, 14, kLabelH}},
    {ctl::kRef2g, K::ReferenceEdit, "", {352, RefY(4), 60, kEditH}, true, false},
    {0, K::Label, "3G", {418, RefY(4) + 2, 14, kLabelH}},
    {ctl::kRef3g, K::ReferenceEdit, "", {433, RefY(4), 60, kEditH}, true, false},
    {0, K::Label, "4G", {499, RefY(4) + 2, 14, kLabelH}},
    {ctl::kRef4g, K::ReferenceEdit, "", {514, RefY(4), kMidRight - 514, kEditH}, true, false},

    // One-key result.
    {0, K::Label, "ONEKEY TEST RESULT", {kMidX, kOneKeyResultY + 2, 82, kLabelH}},
    {ctl::kOneKeyResultBox, K::Edit, "", {423, kOneKeyResultY, 88, kEditH}},
    {ctl::kOneKeyLamp, K::Picture, "", {kMidRight - kPictureW, kOneKeyResultY - 1, kPictureW, kPictureH}},

    // Network lock and post-test settings.
    LockEdit(ctl::kReadPnBox, 0),
    LockButton(ctl::kReadPn, 0, "READ PN"),
    LockEdit(ctl::kUnlockBox, 1),
    LockButton(ctl::kUnlock, 1, "UNLOCK"),
    LockEdit(ctl::kLockBox, 2),
    LockButton(ctl::kLock, 2, "LOCK"),
    PostTestLabel(0, "Restore after test"),
    PostTestEdit(ctl::kRefRestoreAfterTest, 0),
    PostTestLabel(1, "Reboot after test"),
    PostTestEdit(ctl::kRefRebootAfterTest, 1),
    PostTestLabel(2, "delay after test"),
    PostTestEdit(ctl::kRefDelayAfterTest, 2),

    // Identity-write group (hidden).
    WriteLabel(ctl::kWriteImeiLabel, 0, "WRITE IMEI："),
    WriteEdit(ctl::kWriteImeiEdit, 0, kImeiMaxLength),
    WriteLabel(ctl::kWriteMacLabel, 1, "WRITE MAC："),
    WriteEdit(ctl::kWriteMacEdit, 1, kMacMaxLength),
    WriteLabel(ctl::kWriteSnLabel, 2, "WRITE SN："),
    WriteEdit(ctl::kWriteSnEdit, 2, kSnMaxLength),
    WriteButton(ctl::kWriteImei, "WRITE IMEI", 0, kRightX, 58),
    WriteButton(ctl::kWriteMac, "WRITE MAC", 0, 642, 58),
    WriteButton(ctl::kWriteSn, "WRITE SN", 0, 704, kRightEnd - 704),
    WriteButton(ctl::kWriteMacImei, "WRITE MACIMEI", 1, kRightX, 88),
    WriteButton(ctl::kWriteSnMacImei, "WRITE SNMACIMEI", 1, 672, kRightEnd - 672),
    {ctl::kWriteNoLabel, K::GroupLabel, "WRITE NO", {kOptionsX, kFirstOptionY + 2, 60, kLabelH}, false},
    OptionLabel(ctl::kMacFirst8Label, 0, 1, "MAC FIRST 8 bytes：", kMacFirst8LabelW),
    OptionEdit(ctl::kMacFirst8Box, 0, 1, kMacFirst8LabelW, kMacFirst8EditW),
    OptionLabel(ctl::kWriteSnAndMacLabel, 1, 0, "WRITE SN and MAC："),
    OptionEdit(ctl::kWriteSnAndMacBox, 1, 0),
    OptionLabel(ctl::kReadAfterWriteSnLabel, 1, 1, "READ AFTER WRITE SN："),
    OptionEdit(ctl::kReadAfterWriteSnBox, 1, 1),
    OptionLabel(ctl::kClearAfterWriteSnLabel, 2, 0, "CLEAR AFTER WRITE SN："),
    OptionEdit(ctl::kClearAfterWriteSnBox, 2, 0),
    OptionLabel(ctl::kClearAfterWriteMacLabel, 2, 1, "CLEAR AFTER WRITE MAC："),
    OptionEdit(ctl::kClearAfterWriteMacBox, 2, 1),
    OptionLabel(ctl::kClearAfterWriteImeiLabel, 3, 0, "CLEAR AFTER WRITE IMEI："),
    OptionEdit(ctl::kClearAfterWriteImeiBox, 3, 0),

    // One-key item labels, shown when their one-key switch is on.
    ItemLabel(ctl::kItemReadVer, 0, "READVER"),
    ItemLabel(ctl::kItemReadMac, 1, "READMAC"),
    ItemLabel(ctl::kItemReadImei, 2, "READIMEI"),
    ItemLabel(ctl::kItemReadSn, 3, "READSN"),
    ItemLabel(ctl::kItemReadPcbaSn, 4, "READ PCBASN"),
    ItemLabel(ctl::kItemReadSsid, 5, "READSSID"),
    ItemLabel(ctl::kItemReadSim, 6, "READSIM"),
    ItemLabel(ctl::kItemReadSd, 7, "READSD"),
    ItemLabel(ctl::kItemWifiStatus, 8, "WIFISTATUS"),
    ItemLabel(ctl::kItemRfCalCheck, 9, "RFCALCHECK"),
    ItemLabel(ctl::kItemRelDateCheck, 10, "RELDATECHECK"),
    ItemLabel(ctl::kItemRssiCheck, 11, "RFCALCHECK"),
    ItemLabel(ctl::kItemReadLed, 12, "READLED"),
    ItemLabel(ctl::kItemTestKey, 13, "TESTKEY"),
    ItemLabel(ctl::kItemReadCharger, 14, "READCHARGER"),
    ItemLabel(ctl::kItemWriteUsbMode, 15, "WRITE USB MODE"),
    ItemLabel(ctl::kItemLockPn, 16, "READPN"),
    ItemLabel(ctl::kItemUnlockPn, 17, "UNLOCK"),
    ItemLabel(ctl::kItemConfirmUsbMode, 18, "CONFIRM USBMODE"),
    ItemLabel(ctl::kItemConfirmLock, 19, "CONFIRM LOCK"),

    // Failure labels, shown one by one for the items that failed.
    {0, K::GroupLabel, "ONEKEY TEST FAILURE ITEM：", {kMidX, kFailureHeadingY, 140, kLabelH}},
    FailureLabel(ctl::kFailReadVer, 0, "READVER"),
    FailureLabel(ctl::kFailReadMac, 1, "READMAC"),
    FailureLabel(ctl::kFailReadImei, 2, "READIMEI"),
    FailureLabel(ctl::kFailReadSn, 3, "READSN"),
    FailureLabel(ctl::kFailReadSsid, 4, "READSSID"),
    FailureLabel(ctl::kFailReadSim, 5, "READSIM"),
    FailureLabel(ctl::kFailReadSd, 6, "READSD"),
    FailureLabel(ctl::kFailWifiStatus, 7, "WIFISTATUS"),
    FailureLabel(ctl::kFailRfCalCheck, 8, "RFCALCHECK"),
    FailureLabel(ctl::kFailRelDateCheck, 9, "RELDATECHECK"),
    FailureLabel(ctl::kFailRssiCheck, 10, "RFCALCHECK"),
    FailureLabel(ctl::kFailReadLed, 11, "READLED"),
    FailureLabel(ctl::kFailTestKey, 12, "TESTKEY"),
    FailureLabel(ctl::kFailReadCharger, 13, "READCHARGER"),
    FailureLabel(ctl::kFailWriteUsbMode, 14, "WRITE USB MODE"),
    FailureLabel(ctl::kFailReadPcbaSn, 15, "READ PCBASN"),
    FailureLabel(ctl::kFailLock, 16, "LOCK"),
    FailureLabel(ctl::kFailUnlock, 17, "UNLOCK"),
    FailureLabel(ctl::kFailConfirmUsbMode, 18, "CONFIRM USBMODE"),
    FailureLabel(ctl::kFailConfirmLock, 19, "CONFIRM LOCK"),

    // Bottom rows.
    BottomButton(ctl::kTestFinish, "TEST FINISH", kBottomRow1Y, 10, 80),
    BottomButton(ctl::kRetest, " RETEST", kBottomRow1Y, 96, 80),
    {ctl::kPresenceLamp, K::Picture, "", {184, kBottomRow1Y - 2, 52, 36}},
    BottomButton(ctl::kUserMode, "USERMODE", kBottomRow1Y, 244, 86),
    BottomButton(ctl::kFactoryMode, "FACTORY MODE", kBottomRow1Y, 336, 80),
    BottomButton(ctl::kPowerOff, "POWEROFF", kBottomRow1Y, 422, 74),
    BottomButton(ctl::kReset, "RESET", kBottomRow2Y, 10, 80),
    BottomButton(ctl::kRestore, "RESTORE", kBottomRow2Y, 96, 80),
    BottomButton(ctl::kWindowsUsbMode, "WINDOWS USB MODE", kBottomRow2Y, 244, 86),
    BottomButton(ctl::kReadUsbMode, "READ USBMODE", kBottomRow2Y, 336, 80),
    {ctl::kUsbModeBox, K::Edit, "", {422, kBottomRow2Y + 1, 74, kEditH}},
};

}  // namespace

std::span<const ControlTemplate> MainWindowTemplate()
{
    return kTemplate;
}

const ControlTemplate* FindControlTemplate(int id)
{
    if (id == 0)
        return nullptr;
    const auto it = std::find_if(std::begin(kTemplate), std::end(kTemplate),
                                 [id](const ControlTemplate& c) { return c.id == id; });
    return it == std::end(kTemplate) ? nullptr : &*it;
}
