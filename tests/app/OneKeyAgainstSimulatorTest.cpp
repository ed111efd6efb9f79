// The one-key test in the real window against the unit simulator program,
// in real time: the operator scans, the test runs, the operator judges the
// LED, the unit reports its key and the verdict appears.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <QLineEdit>
#include <QTest>

#include "ModalWatcher.h"
#include "StationFixture.h"
#include "link/StationLog.h"
#include "station/ControlIds.h"
#include "tests/support/ChildProcess.h"

namespace {

constexpr int kVerdictWithinMs = 30000;

// The labels of the simulated unit.
const std::pair<int, QString> kLabels[] = {
    {ctl::kScanMac, "A45E60C1229F"},
    {ctl::kScanImei, "867400012345678"},
    {ctl::kScanSn, "RZ26A0145871"},
    {ctl::kScanPcbaSn, "PB26A0145871"},
};

std::string ExampleProfile()
{
    std::ifstream in(EXAMPLE_PROFILE_PATH);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class OneKeyAgainstSimulator : public testing::Test {
protected:
    void Launch(std::vector<std::string> simulatorArgs)
    {
        simulatorArgs.insert(simulatorArgs.begin(), UNIT_SIM_PROGRAM);
        simulator_ = std::make_unique<ChildProcess>(simulatorArgs);
        const std::string port = simulator_->ReadLine(5000);
        ASSERT_FALSE(port.empty());
        // Every item on, then the reboot after 3 s, as the example profile has it.
        WriteProfile(ExampleProfile());
        window_ = std::make_unique<QtStationWindow>();
        StationOptions options;
        options.fixedPort = port;
        controller_ = std::make_unique<CRuriZudaDlg>(*window_, options);
        window_->Attach(*controller_);
        controller_->OnInitDialog();
        window_->show();
    }

    void TearDown() override
    {
        if (window_) {
            window_->hide();
            controller_->OnDestroy();
        }
        LogClose();
    }

    // Scans the labels; the Enter after the last one presses ONEKEY TEST.
    void ScanAndStart()
    {
        for (const auto& [field, label] : kLabels) {
            window_->SetFocus(field);
            QTest::keyClicks(window_->Control(field), label);
            QTest::keyClick(window_->Control(field), Qt::Key_Return);
        }
    }

    std::string Verdict() const { return window_->Text(ctl::kOneKeyResultBox); }

    TempWorkDir dir_;
    std::unique_ptr<ChildProcess> simulator_;
    std::unique_ptr<QtStationWindow> window_;
    std::unique_ptr<CRuriZudaDlg> controller_;
};

TEST_F(OneKeyAgainstSimulator, EveryItemPassesAfterTheLedAndTheKey)
{
    Launch({"--key-delay", "500"});
    ModalWatcher boxes;
    const auto began = std::chrono::steady_clock::now();
    ScanAndStart();
    EXPECT_EQ(Verdict(), "");
    QTest::mouseClick(window_->Control(ctl::kLedPass), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(Verdict()), QString("Onekey Test successfully!"),
                              kVerdictWithinMs);
    const auto wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    std::printf("one-key test, every item on, scan to verdict: %.2f s\n", wall);
    EXPECT_EQ(controller_->FailureMask, 0u);
    EXPECT_EQ(window_->Text(ctl::kKeyBox), "PASS");
    EXPECT_EQ(window_->Text(ctl::kResultBox), "begin to reboot!");
    EXPECT_TRUE(boxes.SeenWindows().empty());
}

TEST_F(OneKeyAgainstSimulator, AMacThatDoesNotMatchTheScanStopsEarly)
{
    Launch({"--mac", "A45E60C10000"});
    ModalWatcher boxes;
    ScanAndStart();
    EXPECT_EQ(Verdict(), "Failed in Onekey Test!");
    EXPECT_TRUE(window_->IsVisible(ctl::kFailReadMac));
    EXPECT_EQ(window_->Text(ctl::kImeiBox), "");  // READ IMEI never ran
    ASSERT_EQ(boxes.SeenWindows().size(), 1u);
    EXPECT_EQ(boxes.SeenWindows().front().texts, std::vector<std::string> {"read MAC not match scan MAC"});
}

}  // namespace
