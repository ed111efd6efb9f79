// Start-up: the log, the listed port, and the profile applied to the window.
#include "tests/station/StationFixture.h"

namespace {

using StartUp = StationFixture;

TEST_F(StartUp, OpensTheLogAndListsTheGivenPort)
{
    Start();
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "writelog.txt"));
    EXPECT_EQ(window.ports, (std::vector<std::string> {kUnitPort}));
    EXPECT_EQ(window.CurrentPort(), kUnitPort);
}

TEST_F(StartUp, WithoutAGivenPortTheListStaysEmpty)
{
    Start(StationOptions {});
    EXPECT_EQ(window.PortCount(), 0);
}

TEST_F(StartUp, WithoutProfileEverySwitchedControlIsOff)
{
    Start();
    for (int control : {ctl::kReadVer, ctl::kReadImei, ctl::kReadMac, ctl::kReadSn, ctl::kReadPcbaSn, ctl::kReadSsid,
                        ctl::kReadSim, ctl::kReadSd, ctl::kKeyTest, ctl::kExitTest, ctl::kOledLightOn,
                        ctl::kOledLightOff, ctl::kOledPass, ctl::kOledFail, ctl::kLedLightOn, ctl::kLedPass,
                        ctl::kLedFail, ctl::kTestFinish, ctl::kPowerOff, ctl::kReset, ctl::kRestore, ctl::kUserMode,
                        ctl::kFactoryMode, ctl::kRfCheck, ctl::kGsmBox, ctl::kTdBox, ctl::kLteBox, ctl::kWcdmaBox,
                        ctl::kWifiStatus, ctl::kRssiCheck, ctl::kCharging, ctl::kLinuxUsbMode, ctl::kScanImei,
                        ctl::kScanMac, ctl::kScanSn, ctl::kScanPcbaSn, ctl::kUnlock, ctl::kLock, ctl::kReadPn})
        EXPECT_FALSE(window.IsEnabled(control)) << control;
    for (int control : {ctl::kOk, ctl::kExit, ctl::kEnterMaintenance, ctl::kOneKeyTest, ctl::kRetest,
                        ctl::kWindowsUsbMode, ctl::kReadUsbMode})
        EXPECT_TRUE(window.IsEnabled(control)) << control;
    for (int label = ctl::kFailReadVer; label <= ctl::kFailReadLed; ++label)
        EXPECT_FALSE(window.IsVisible(label)) << label;
    for (int label : {ctl::kItemReadVer, ctl::kItemReadImei, ctl::kItemTestKey, ctl::kItemWriteUsbMode,
                      ctl::kItemConfirmLock, ctl::kItemUnlockPn})
        EXPECT_FALSE(window.IsVisible(label)) << label;
    EXPECT_EQ(station->profile.delaySeconds, 0);
}

TEST_F(StartUp, SwitchesEnableTheirControlsOnlyWhenExactlyYes)
{
    WriteProfile("[Station]\nREADIMEI=YES\nREADMAC=yes\nREADSN= YES \nTESTKEY=YES\nCHECKSCANIMEI=YES\n"
                 "READ_LOCK_PN_SINGLE=YESS\n[Onekey]\nREADIMEI=YES\nTESTKEY=Yes\n");
    Start();
    EXPECT_TRUE(window.IsEnabled(ctl::kReadImei));
    EXPECT_FALSE(window.IsEnabled(ctl::kReadMac));
    EXPECT_TRUE(window.IsEnabled(ctl::kReadSn));
    EXPECT_TRUE(window.IsEnabled(ctl::kKeyTest));
    EXPECT_TRUE(window.IsEnabled(ctl::kExitTest));
    EXPECT_TRUE(window.IsEnabled(ctl::kScanImei));
    EXPECT_FALSE(window.IsEnabled(ctl::kScanMac));
    EXPECT_FALSE(window.IsEnabled(ctl::kReadPn));
    EXPECT_TRUE(window.IsVisible(ctl::kItemReadImei));
    EXPECT_FALSE(window.IsVisible(ctl::kItemTestKey));
}

TEST_F(StartUp, LinuxUsbModeFollowsTheOnekeySwitchWhateverTheStationSays)
{
    WriteProfile("[Station]\nWRITELINUXUSBMODE=YES\nUSERMODE=YES\n[Onekey]\nWRITELINUXUSBMODE=NO\n");
    Start();
    EXPECT_FALSE(window.IsVisible(ctl::kItemWriteUsbMode));
    EXPECT_FALSE(window.IsEnabled(ctl::kLinuxUsbMode));
    EXPECT_TRUE(window.IsEnabled(ctl::kUserMode));
}

TEST_F(StartUp, ReferenceFieldsShowTheProfileTexts)
{
    WriteProfile("[Station]\nUSEMDB=YES\nCHECKMACNO=A45E60\nCHECKSNNO=RZ2026\nCHECKPCBASNNO=PCB2026\n"
                 "CHECKIMEINO=86740001\nCHECKSSIDNO=RURIZUDA\nCHECKVER=RZ_V1.2.2\nCHECKRELDATETIME=2026-10-14\n"
                 "2GRSSI=30\n3GRSSI=\n4GRSSI=20\n[Onekey]\nSTARTRESTORE=NO\nSTARTRESET=YES\n"
                 "DELAYTIME_BEFORE_RESET_OR_RESTORE=3x\n");
    Start();
    const std::pair<int, const char*> expected[] = {
        {ctl::kRefGenerateDb, "YES"}, {ctl::kRefMacNo, "A45E60"}, {ctl::kRefSnNo, "RZ2026"},
        {ctl::kRefPcbaSnNo, "PCB2026"}, {ctl::kRefImeiNo, "86740001"}, {ctl::kRefSsidNo, "RURIZUDA"},
        {ctl::kRefVersionNo, "RZ_V1.2.2"}, {ctl::kRefRelDate, "2026-10-14"}, {ctl::kRef2g, "30"},
        {ctl::kRef3g, ""}, {ctl::kRef4g, "20"}, {ctl::kRefRestoreAfterTest, "NO"},
        {ctl::kRefRebootAfterTest, "YES"}, {ctl::kRefDelayAfterTest, "3x"},
    };
    for (const auto& [control, text] : expected)
        EXPECT_EQ(window.Text(control), text) << control;
    EXPECT_EQ(station->profile.delaySeconds, 3);
}

TEST_F(StartUp, UnitValuesStartClearedWithChecksPassed)
{
    Start();
    EXPECT_EQ(station->unit.imei, "");
    EXPECT_EQ(station->checks.imeiCheckOk, 1);
    EXPECT_EQ(station->checks.pcbaSnCheckOk, 1);
    EXPECT_EQ(station->TestFinished, 0);
    EXPECT_EQ(station->MaintenanceMode, 0);
    EXPECT_EQ(station->OperationBusy, 0);
}

}  // namespace
