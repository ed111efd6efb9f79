// The real window and controller against the unit simulator program over a
// pseudo-terminal: the operator's buttons pressed one after the other.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ModalWatcher.h"
#include "StationFixture.h"
#include "link/StationLog.h"
#include "station/ControlIds.h"
#include "station/FailureMask.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SqliteFiles.h"

#include <fstream>
#include <sstream>

namespace {

std::string ExampleProfile()
{
    std::ifstream in(EXAMPLE_PROFILE_PATH);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Press {
    int button;
    std::string status;                         // the RESULT box afterwards
    std::vector<std::pair<int, std::string>> boxes;  // value boxes afterwards
};

class WindowAgainstSimulator : public testing::Test {
protected:
    void SetUp() override
    {
        port_ = simulator_.ReadLine(5000);
        ASSERT_FALSE(port_.empty());
        WriteProfile(Profile());
        window_ = std::make_unique<QtStationWindow>();
        StationOptions options;
        options.fixedPort = port_;
        options.dataDir = dir_.Path();
        controller_ = std::make_unique<CRuriZudaDlg>(*window_, options);
        window_->Attach(*controller_);
        controller_->OnInitDialog();
        window_->show();
    }

    void TearDown() override
    {
        window_->hide();
        controller_->OnDestroy();
        LogClose();
    }

    void Type(int field, const QString& text)
    {
        auto* edit = qobject_cast<QLineEdit*>(window_->Control(field));
        ASSERT_NE(edit, nullptr);
        edit->clear();
        QTest::keyClicks(edit, text);
    }

    std::string Text(int id) const { return window_->Text(id); }

    virtual std::string Profile() const { return ExampleProfile(); }

    void Click(int button) { QTest::mouseClick(window_->Control(button), Qt::LeftButton); }

    ChildProcess simulator_ {{UNIT_SIM_PROGRAM}};
    std::string port_;
    TempWorkDir dir_;
    std::unique_ptr<QtStationWindow> window_;
    std::unique_ptr<CRuriZudaDlg> controller_;
};

TEST_F(WindowAgainstSimulator, OperatorReadsAndChecksTheUnit)
{
    // The operator scans the unit's labels first.
    Type(ctl::kScanImei, "867400012345678");
    Type(ctl::kScanMac, "A45E60C1229F");
    Type(ctl::kScanSn, "RZ26A0145871");
    Type(ctl::kScanPcbaSn, "PB26A0145871");

    const Press presses[] = {
        {ctl::kReadImei, "Read IMEI successfully!", {{ctl::kImeiBox, "867400012345678"}}},
        {ctl::kReadVer, "Read version successfully!",
         {{ctl::kVersionBox, "RZ_V1.2.2_B05"}, {ctl::kRelDateBox, "2026-10-14 10:31:07"}}},
        {ctl::kReadMac, "Read MAC successfully!", {{ctl::kMacBox, "A4-5E-60-C1-22-9F"}}},
        {ctl::kReadSn, "Read SN successfully!", {{ctl::kSnBox, "RZ26A0145871"}}},
        {ctl::kReadPcbaSn, "Read PCBA SN successfully!", {{ctl::kPcbaSnBox, "PB26A0145871"}}},
        {ctl::kReadSsid, "Read SSID successfully!", {{ctl::kSsidBox, "RURIZUDA-229F"}}},
        {ctl::kReadSim, "Read SIM status successfully!", {{ctl::kSimBox, "SIM inserted"}}},
        {ctl::kReadSd, "Read SD status successfully!", {{ctl::kSdBox, "SD inserted"}}},
        {ctl::kWifiStatus, "Switch on WIFI successfully", {{ctl::kWifiBox, "PASS"}}},
        {ctl::kCharging, "Read charger status successfully!", {{ctl::kChargingBox, "PASS"}}},
        {ctl::kRssiCheck, "Read and check RSSI successfully",
         {{ctl::kRssi2gBox, "63"}, {ctl::kRssi3gBox, ""}, {ctl::kRssi4gBox, "45"}}},
        {ctl::kRfCheck, "check RF cal successfully",
         {{ctl::kGsmBox, "PASS"}, {ctl::kTdBox, "PASS"}, {ctl::kLteBox, "PASS"}, {ctl::kWcdmaBox, "PASS"}}},
        {ctl::kLinuxUsbMode, "read mode successfully", {{ctl::kUsbModeBox, "LINUX USB"}}},
    };
    ModalWatcher boxes;
    for (const auto& press : presses) {
        auto* button = qobject_cast<QPushButton*>(window_->Control(press.button));
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << press.button;
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_EQ(Text(ctl::kResultBox), press.status) << press.button;
        for (const auto& [box, text] : press.boxes)
            EXPECT_EQ(Text(box), text) << press.button << " box " << box;
    }
    EXPECT_TRUE(boxes.SeenWindows().empty());
    EXPECT_EQ(controller_->FailureMask, 0u);
    window_->grab().save(SIMULATOR_WINDOW_PICTURE_PATH);
    std::printf("window picture: %s\n", SIMULATOR_WINDOW_PICTURE_PATH);
}

TEST_F(WindowAgainstSimulator, OperatorDrivesModesLightsJudgementsAndTheKeyTest)
{
    const Press presses[] = {
        {ctl::kUserMode, "read mode successfully", {{ctl::kUsbModeBox, "USERMODE USB"}}},
        {ctl::kWindowsUsbMode, "read mode successfully", {{ctl::kUsbModeBox, "WINDOWS USB"}}},
        {ctl::kFactoryMode, "read mode successfully", {{ctl::kUsbModeBox, "DEFAULT USB"}}},
        {ctl::kReadUsbMode, "read mode successfully", {{ctl::kUsbModeBox, "DEFAULT USB"}}},
        {ctl::kOledLightOn, "Start to Light On OLED!", {}},
        {ctl::kOledPass, "Test OLED successfully!", {{ctl::kOledBox, "PASS"}}},
        {ctl::kOledLightOff, "Start to Light Off OLED!", {}},
        {ctl::kLedLightOn, "Start to light on LED", {}},
        {ctl::kLedFail, "Failed to test LED!", {{ctl::kLedBox, "FAIL"}}},
        {ctl::kRestore, "Failed to test LED!", {}},  // success shows nothing
        {ctl::kReset, "Failed to test LED!", {}},
        {ctl::kKeyTest, "Enter Key Test!", {{ctl::kKeyBox, ""}}},
    };
    ModalWatcher boxes;
    for (const auto& press : presses) {
        QTest::mouseClick(window_->Control(press.button), Qt::LeftButton);
        EXPECT_EQ(Text(ctl::kResultBox), press.status) << press.button;
        for (const auto& [box, text] : press.boxes)
            EXPECT_EQ(Text(box), text) << press.button << " box " << box;
    }
    // The unit reports the key press by itself; the window's timer hears it.
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(Text(ctl::kKeyBox)), QString("PASS"), 10000);
    EXPECT_EQ(Text(ctl::kResultBox), "key test successfully!");
    EXPECT_EQ(controller_->FailureMask, failbit::kLed | failbit::kConfirmUsbMode);

    QTest::mouseClick(window_->Control(ctl::kEnterMaintenance), Qt::LeftButton);
    EXPECT_TRUE(window_->IsVisible(ctl::kExitMaintenance));
    EXPECT_TRUE(window_->IsVisible(ctl::kMaintenanceNotice));
    QTest::mouseClick(window_->Control(ctl::kExitMaintenance), Qt::LeftButton);
    EXPECT_TRUE(window_->IsVisible(ctl::kEnterMaintenance));

    QTest::mouseClick(window_->Control(ctl::kPowerOff), Qt::LeftButton);
    EXPECT_TRUE(boxes.SeenWindows().empty());
}

// A station that stores what it reads, with nothing else to complete.
class StoringAgainstSimulator : public WindowAgainstSimulator {
protected:
    std::string Profile() const override
    {
        return "[Station]\nUSEMDB=YES\nREADIMEI=YES\nREADMAC=YES\nREADSN=YES\nREADSIM=YES\n";
    }
};

TEST_F(StoringAgainstSimulator, TestFinishStoresTheUnitOnceAndLetsRetestGoOn)
{
    ModalWatcher boxes;
    for (int round = 0; round < 2; ++round) {
        for (int button : {ctl::kReadImei, ctl::kReadMac, ctl::kReadSn, ctl::kReadSim})
            Click(button);
        Click(ctl::kTestFinish);
        Click(ctl::kRetest);
    }
    std::vector<std::string> seen;
    for (const auto& box : boxes.SeenWindows())
        seen.push_back(box.texts.empty() ? "" : box.texts.front());
    EXPECT_EQ(seen, (std::vector<std::string> {"Database is created", "Written SN is already in database "}));
    EXPECT_EQ(Query(dir_.Path() / "PASS.mdb", "SELECT IMEI, MAC, SN, SIM FROM SNTable"),
              (Rows {{"867400012345678", "A4-5E-60-C1-22-9F", "RZ26A0145871", "SIM inserted"}}));
}

}  // namespace
