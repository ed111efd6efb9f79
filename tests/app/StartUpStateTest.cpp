// The window as the station starts it, with and without workstation.ini.
#include <set>
#include <span>

#include <QLabel>
#include <QPushButton>

#include "StationFixture.h"
#include "app/CommandLine.h"
#include "station/ControlIds.h"
#include "station/ProfileRules.h"

namespace {

constexpr int kItemLabels[] = {
    ctl::kItemReadVer, ctl::kItemReadMac, ctl::kItemReadImei, ctl::kItemReadSn, ctl::kItemReadPcbaSn,
    ctl::kItemReadSsid, ctl::kItemReadSim, ctl::kItemReadSd, ctl::kItemWifiStatus, ctl::kItemRfCalCheck,
    ctl::kItemRelDateCheck, ctl::kItemRssiCheck, ctl::kItemReadLed, ctl::kItemTestKey, ctl::kItemReadCharger,
    ctl::kItemWriteUsbMode, ctl::kItemLockPn, ctl::kItemUnlockPn, ctl::kItemConfirmUsbMode, ctl::kItemConfirmLock,
};

constexpr int kFailureLabels[] = {
    ctl::kFailReadVer, ctl::kFailReadMac, ctl::kFailReadImei, ctl::kFailReadSn, ctl::kFailReadSsid,
    ctl::kFailReadSim, ctl::kFailReadSd, ctl::kFailWifiStatus, ctl::kFailRfCalCheck, ctl::kFailRelDateCheck,
    ctl::kFailRssiCheck, ctl::kFailReadLed, ctl::kFailTestKey, ctl::kFailReadCharger, ctl::kFailWriteUsbMode,
    ctl::kFailReadPcbaSn, ctl::kFailLock, ctl::kFailUnlock, ctl::kFailConfirmUsbMode, ctl::kFailConfirmLock,
};

// Never shown by the profile; only the maintenance buttons change at run time.
constexpr int kHiddenAtStart[] = {
    ctl::kExitMaintenance, ctl::kMaintenanceNotice, ctl::kRefreshCom, ctl::kCheckDate, ctl::kLedLightOff,
    ctl::kWriteImeiEdit, ctl::kWriteMacEdit, ctl::kWriteSnEdit, ctl::kWriteImei, ctl::kWriteMac,
    ctl::kWriteSn, ctl::kWriteMacImei, ctl::kWriteSnMacImei,
};

using NoProfile = StationFixture;

TEST_F(NoProfile, OnlyTheUnswitchedButtonsAreEnabled)
{
    std::set<int> enabled;
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
        if (!button->isHidden() && button->isEnabled())
            enabled.insert(window_->ControlIdOf(button));
    }
    const std::set<int> expected {ctl::kOk, ctl::kExit, ctl::kEnterMaintenance, ctl::kOneKeyTest,
                                  ctl::kRetest, ctl::kWindowsUsbMode, ctl::kReadUsbMode};
    EXPECT_EQ(enabled, expected);
}

TEST_F(NoProfile, EverySwitchedControlIsDisabled)
{
    for (std::span<const StationSwitchRule> rules :
         {std::span<const StationSwitchRule>(kStationDisableRules), std::span<const StationSwitchRule>(kLoaderDisableRules)})
        for (const auto& rule : rules)
            for (int id : rule.controls)
                EXPECT_FALSE(window_->IsEnabled(id)) << id;
    EXPECT_FALSE(window_->IsEnabled(ctl::kLinuxUsbMode));
}

TEST_F(NoProfile, ItemAndFailureLabelsAreHidden)
{
    for (int id : kItemLabels)
        EXPECT_FALSE(window_->IsVisible(id)) << id;
    for (int id : kFailureLabels)
        EXPECT_FALSE(window_->IsVisible(id)) << id;
}

TEST_F(NoProfile, ControlsBuiltHiddenStayHiddenAndThePortListIsDisabled)
{
    for (int id : kHiddenAtStart)
        EXPECT_FALSE(window_->IsVisible(id)) << id;
    for (int id : ctl::kIdentityWriteGroup)
        EXPECT_FALSE(window_->IsVisible(id)) << id;
    EXPECT_TRUE(window_->IsVisible(ctl::kEnterMaintenance));
    EXPECT_FALSE(window_->IsEnabled(ctl::kPortList));
    EXPECT_FALSE(window_->IsEnabled(ctl::kRefMacNo));
    EXPECT_FALSE(window_->IsEnabled(ctl::kRefDelayAfterTest));
}

TEST_F(NoProfile, CaptionsAreExact)
{
    EXPECT_EQ(window_->Text(ctl::kReadSd), "READ  SD");
    EXPECT_EQ(window_->Text(ctl::kRetest), " RETEST");
    EXPECT_EQ(window_->Text(ctl::kOneKeyTest), "ONEKEY TEST(TEST ITEM)");
    EXPECT_EQ(window_->Text(ctl::kReadPcbaSn), "READPCBASN");
    EXPECT_EQ(window_->Text(ctl::kMaintenanceNotice),
              "In mantenance mode，SN MAC IMEI in database can be written into database again");
    EXPECT_EQ(window_->Text(ctl::kItemRssiCheck), "RFCALCHECK");
    EXPECT_EQ(window_->Text(ctl::kItemLockPn), "READPN");
    EXPECT_EQ(window_->Text(ctl::kFailLock), "LOCK");
    bool heading = false;
    for (const QLabel* label : window_->findChildren<QLabel*>())
        heading |= label->text() == QStringLiteral("ONEKEY TEST FAILURE ITEM：");
    EXPECT_TRUE(heading);
}

class EngineeringStart : public StationFixture {
protected:
    void SetUp() override
    {
        profile_ = "[WriteOptions]\nWRITE_SN_AND_MAC=YES\n";
        const std::vector<std::string> args {"--engineering"};
        options_ = ParseCommandLine(args).options;
        StationFixture::SetUp();
    }
};

TEST_F(EngineeringStart, ShowsTheIdentityWriteGroupWithItsOptionsReadOnly)
{
    for (int id : ctl::kIdentityWriteGroup)
        EXPECT_TRUE(window_->IsVisible(id)) << id;
    EXPECT_EQ(window_->Text(ctl::kWriteSnAndMacBox), "YES");
    EXPECT_FALSE(window_->IsEnabled(ctl::kWriteSnAndMacBox));
    EXPECT_TRUE(window_->IsEnabled(ctl::kWriteSnMacImei));
}

class LinuxUsbModeOff : public StationFixture {
protected:
    void SetUp() override
    {
        profile_ = "[Station]\nREADIMEI=YES\nCHECKSCANIMEI=YES\n"
                   "[Onekey]\nREADIMEI=YES\nWRITELINUXUSBMODE=NO\n";
        StationFixture::SetUp();
    }
};

TEST_F(LinuxUsbModeOff, HidesItsItemAndDisablesItsButtonWhileSwitchedItemsWork)
{
    EXPECT_FALSE(window_->IsVisible(ctl::kItemWriteUsbMode));
    EXPECT_FALSE(window_->IsEnabled(ctl::kLinuxUsbMode));
    EXPECT_TRUE(window_->IsEnabled(ctl::kReadImei));
    EXPECT_TRUE(window_->IsEnabled(ctl::kScanImei));
    EXPECT_TRUE(window_->IsVisible(ctl::kItemReadImei));
    EXPECT_FALSE(window_->IsEnabled(ctl::kScanMac));
}

}  // namespace
