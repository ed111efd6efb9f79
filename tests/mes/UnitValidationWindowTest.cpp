// The real window (offscreen) with the real controller while the fake MES is
// asked: the window's own event loop serves the wait, its timers run
// meanwhile, and the outcome comes up in it.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <fstream>

#include "app/QtStationWindow.h"
#include "link/StationLog.h"
#include "station/CRuriZudaDlg.h"
#include "station/ControlIds.h"
#include "tests/app/ModalWatcher.h"
#include "tests/mes/FakeMes.h"
#include "tests/mes/TestBroker.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kOutcomeWithinMs = 20000;
constexpr int kOtherTimerMs = 100;  // a timer of the window's own, during the wait
constexpr const char* kNoUnitPort = "/dev/null/no-unit";

class UnitValidationWindow : public testing::Test {
protected:
    void Launch()
    {
        std::ofstream("workstation.ini") << "[Station]\nUSEMDB=YES\n[MES]\nURL=" << url
                                         << "\nADDRESS=" << stationQueue.Address()
                                         << "\nHANDLE=Test.Window." << getpid() << "\nVALIDATE=1\nVALIDATOR="
                                         << requestQueue.Address() << "\nVALIDATE_TIMEOUT=1\n";
        window_ = std::make_unique<QtStationWindow>();
        StationOptions options;
        options.fixedPort = kNoUnitPort;
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

    void ScanAndPress(const QString& sn)
    {
        qobject_cast<QLineEdit*>(window_->Control(ctl::kScanSn))->setText(sn);
        QTest::mouseClick(window_->Control(ctl::kOneKeyTest), Qt::LeftButton);
    }

    std::string OneKeyBox() const { return window_->Text(ctl::kOneKeyResultBox); }

    TempWorkDir dir_;
    const std::string url = TestBroker::Url();
    TestBroker requestQueue;
    TestBroker stationQueue;
    FakeMes mes {url, requestQueue.Address(), stationQueue.Address()};
    std::unique_ptr<QtStationWindow> window_;
    std::unique_ptr<CRuriZudaDlg> controller_;
};

TEST_F(UnitValidationWindow, ASilentMesLeavesTheWindowWorkingUntilItsBoxComesUp)
{
    mes.Answer("RZ-SILENT", FakeMesAnswer::Silent());
    Launch();
    ModalWatcher boxes;
    bool otherTimerRan = false;
    QTimer::singleShot(kOtherTimerMs, [&] { otherTimerRan = boxes.SeenWindows().empty(); });
    ScanAndPress("RZ-SILENT");
    EXPECT_EQ(OneKeyBox(), "Waiting for the MES");
    QTRY_VERIFY_WITH_TIMEOUT(!boxes.SeenWindows().empty(), kOutcomeWithinMs);
    EXPECT_TRUE(otherTimerRan) << "a timer event was handled while the MES was asked";
    EXPECT_EQ(boxes.SeenWindows().front().texts, std::vector<std::string>({"The MES did not answer"}));
    EXPECT_EQ(window_->Text(ctl::kScanSn), "RZ-SILENT");
}

TEST_F(UnitValidationWindow, APassedUnitsTestStartsInTheWindow)
{
    Launch();
    ModalWatcher boxes;
    ScanAndPress("RZ-PASSED");
    // No unit sits at the port: the test that starts ends at its connection.
    QTRY_COMPARE_WITH_TIMEOUT(QString::fromStdString(OneKeyBox()), QString("Failed in Onekey Test!"),
                              kOutcomeWithinMs);
    ASSERT_EQ(mes.Requests().size(), 1u);
    for (const auto& seen : boxes.SeenWindows())
        EXPECT_NE(seen.texts, std::vector<std::string>({"The MES did not answer"}));
}

}  // namespace
