// The real window and controller against the unit simulator program over a
// pseudo-terminal: the operator's buttons pressed one after the other.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "ModalWatcher.h"
#include "StationFixture.h"
#include "app/CommandLine.h"
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
        WriteProfile(profile_.empty() ? ExampleProfile() : profile_);
        window_ = std::make_unique<QtStationWindow>();
        std::vector<std::string> args {"--port", port_};
        args.insert(args.end(), extraArgs_.begin(), extraArgs_.end());
        CommandLine line = ParseCommandLine(args);
        ASSERT_EQ(line.error, "");
        line.options.dataDir = dir_.Path();
        controller_ = std::make_unique<CRuriZudaDlg>(*window_, line.options);
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

    void Click(int button)
    {
        auto* widget = qobject_cast<QPushButton*>(window_->Control(button));
        ASSERT_NE(widget, nullptr);
        ASSERT_TRUE(widget->isVisible() && widget->isEnabled()) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    std::string profile_;                  // "" = the example profile
    std::vector<std::string> extraArgs_;   // after --port

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

// The writing station: rurizuda --engineering numbering three units in a row.
class WritingStation : public WindowAgainstSimulator {
protected:
    WritingStation()
    {
        profile_ = "[Station]\nREADIMEI=YES\nREADMAC=YES\nREADSN=YES\n";
        extraArgs_ = {"--engineering"};
    }
};

TEST_F(WritingStation, WritesASeriesOfThreeUnitsWithTheBoxesAdvancing)
{
    Type(ctl::kWriteImeiEdit, "86740001234567");
    Type(ctl::kWriteMacEdit, "a4:5e:60:c1:22:fe");
    struct Unit {
        const char* sn;
        const char* imei;  // with its check digit
        const char* mac;   // as the unit reports it
    };
    const Unit series[] = {
        {"RZ26A0146001", "867400012345678", "A4-5E-60-C1-22-FE"},
        {"RZ26A0146002", "867400012345686", "A4-5E-60-C1-22-FF"},
        {"RZ26A0146003", "867400012345694", "A4-5E-60-C1-23-00"},
    };
    ModalWatcher boxes;
    for (const Unit& unit : series) {
        Type(ctl::kWriteSnEdit, unit.sn);
        Click(ctl::kWriteSnMacImei);
        EXPECT_EQ(Text(ctl::kResultBox), "Write SN and MAC and IMEI successfully!") << unit.sn;
        // The unit keeps what was written.
        Click(ctl::kReadImei);
        Click(ctl::kReadMac);
        Click(ctl::kReadSn);
        EXPECT_EQ(Text(ctl::kImeiBox), unit.imei);
        EXPECT_EQ(Text(ctl::kMacBox), unit.mac);
        EXPECT_EQ(Text(ctl::kSnBox), unit.sn);
    }
    EXPECT_EQ(Text(ctl::kWriteImeiEdit), "86740001234570");
    EXPECT_EQ(Text(ctl::kWriteMacEdit), "A4:5E:60:C1:23:01");
    EXPECT_TRUE(boxes.SeenWindows().empty());
    EXPECT_EQ(controller_->FailureMask, 0u);
}

TEST_F(WindowAgainstSimulator, OperatorLocksConfirmsAndUnlocksTheUnit)
{
    ModalWatcher boxes;
    auto press = [&](const Press& press) {
        QTest::mouseClick(window_->Control(press.button), Qt::LeftButton);
        EXPECT_EQ(Text(ctl::kResultBox), press.status) << press.button;
        for (const auto& [box, text] : press.boxes)
            EXPECT_EQ(Text(box), text) << press.button << " box " << box;
    };
    // The example profile's code is the one the simulated unit accepts.
    press({ctl::kReadPn, "Read LOCK PN successfully!", {{ctl::kReadPnBox, "UNLOCK"}}});
    EXPECT_EQ(controller_->unit.lockConfirmation, "FAIL");
    press({ctl::kLock, "Write LOCK PN successfully!", {{ctl::kLockBox, "LOCK SUCCESS"}, {ctl::kReadPnBox, "LOCK"}}});
    press({ctl::kReadPn, "Read LOCK PN successfully!", {{ctl::kReadPnBox, "LOCK"}}});
    EXPECT_EQ(controller_->unit.lockConfirmation, "PASS");
    press({ctl::kLock, "Failed to write LOCK PN!", {{ctl::kLockBox, "ALREADY LOCKED"}}});

    controller_->profile.lockPn.lockPnCode = "87654321";
    press({ctl::kUnlock, "Failed to write UNLOCK PN!", {{ctl::kUnlockBox, "UNLOCK FAIL"}, {ctl::kReadPnBox, "LOCK"}}});
    controller_->profile.lockPn.lockPnCode = "12345678";
    press({ctl::kUnlock, "Write UNLOCK PN successfully!",
           {{ctl::kUnlockBox, "UNLOCK SUCCESS"}, {ctl::kReadPnBox, "UNLOCK"}}});

    // The shipped example program derives the same code from the IMEI read.
    press({ctl::kLock, "Write LOCK PN successfully!", {{ctl::kReadPnBox, "LOCK"}}});
    controller_->profile.lockPn = {"", "YES", LOCKCODE_EXAMPLE_PATH};
    Type(ctl::kScanImei, "867400012345678");
    press({ctl::kReadImei, "Read IMEI successfully!", {}});
    press({ctl::kUnlock, "Write UNLOCK PN successfully!",
           {{ctl::kUnlockBox, "UNLOCK SUCCESS"}, {ctl::kReadPnBox, "UNLOCK"}}});

    EXPECT_TRUE(boxes.SeenWindows().empty());
    EXPECT_EQ(controller_->FailureMask, failbit::kConfirmLock | failbit::kLock | failbit::kUnlock);
}

// A station that stores what it reads, with nothing else to complete.
class StoringAgainstSimulator : public WindowAgainstSimulator {
protected:
    StoringAgainstSimulator()
    {
        profile_ = "[Station]\nUSEMDB=YES\nREADIMEI=YES\nREADMAC=YES\nREADSN=YES\nREADSIM=YES\n";
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
