// The Enter walk in the real window: a barcode scanner types into the field
// that has the focus and ends each label with Enter.
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include "ModalWatcher.h"
#include "StationFixture.h"
#include "station/ControlIds.h"

namespace {

constexpr int kSettleMs = 2000;

const char* const kMacAndImei = "[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\n";
const char* const kAllFour = "[Station]\nCHECKSCANMAC=YES\nCHECKSCANIMEI=YES\nCHECKSCANSN=YES\nCHECKSCANPCBASN=YES\n";

Qt::Key KeyOf(char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<Qt::Key>(Qt::Key_0 + (c - '0'));
    return static_cast<Qt::Key>(Qt::Key_A + (c - 'A'));
}

class EnterWalkWindow : public StationFixture {
protected:
    void SetUp() override
    {
        StationFixture::SetUp();
        ShowActive();
        window_->SetFocus(ctl::kScanMac);
        QApplication::processEvents();
    }

    // Queues the keys of one scanned label and its Enter on the window, as
    // a scanner delivers them: each goes to whatever has the focus when it
    // is handled.
    void Queue(const std::string& label)
    {
        QWindow* target = window_->windowHandle();
        for (char c : label) {
            const QString text(QChar::fromLatin1(c));
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, KeyOf(c), Qt::NoModifier, text));
            QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, KeyOf(c), Qt::NoModifier, text));
        }
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r"));
        QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r"));
    }

    int Focused() const { return window_->ControlIdOf(window_->focusWidget()); }

    // ONEKEY TEST ran: with no unit listed it ends at once as failed.
    bool OneKeyPressed() const { return window_->Text(ctl::kOneKeyResultBox) == "Failed in Onekey Test!"; }

    ModalWatcher boxes_;
};

class MacAndImei : public EnterWalkWindow {
protected:
    MacAndImei() { profile_ = kMacAndImei; }
};

class AllFourScans : public EnterWalkWindow {
protected:
    AllFourScans() { profile_ = kAllFour; }
};

TEST_F(MacAndImei, EnterAfterTheImeiPressesOneKeyTest)
{
    Queue("A45E60C1229F");
    QApplication::processEvents();
    EXPECT_EQ(Focused(), ctl::kScanImei);
    EXPECT_FALSE(OneKeyPressed());
    Queue("867400012345678");
    QTRY_VERIFY_WITH_TIMEOUT(OneKeyPressed(), kSettleMs);
    EXPECT_EQ(Focused(), ctl::kOneKeyTest);
    EXPECT_EQ(window_->Text(ctl::kScanMac), "A45E60C1229F");
    EXPECT_EQ(window_->Text(ctl::kScanImei), "867400012345678");
}

TEST_F(AllFourScans, EnterWalksTheFourFieldsInOrder)
{
    const std::pair<std::string, int> steps[] = {
        {"A45E60C1229F", ctl::kScanImei},
        {"867400012345678", ctl::kScanSn},
        {"RZ26A0145871", ctl::kScanPcbaSn},
    };
    for (const auto& [label, next] : steps) {
        Queue(label);
        QApplication::processEvents();
        EXPECT_EQ(Focused(), next) << label;
        EXPECT_FALSE(OneKeyPressed());
    }
    Queue("PB26A0145871");
    QTRY_VERIFY_WITH_TIMEOUT(OneKeyPressed(), kSettleMs);
}

TEST_F(AllFourScans, ABurstOfLabelsLandsInTheirFields)
{
    const std::pair<std::string, int> labels[] = {
        {"A45E60C1229F", ctl::kScanMac},
        {"867400012345678", ctl::kScanImei},
        {"RZ26A0145871", ctl::kScanSn},
        {"PB26A0145871", ctl::kScanPcbaSn},
    };
    for (const auto& [label, field] : labels)
        Queue(label);
    QTRY_VERIFY_WITH_TIMEOUT(OneKeyPressed(), kSettleMs);
    for (const auto& [label, field] : labels)
        EXPECT_EQ(window_->Text(field), label);
    EXPECT_EQ(Focused(), ctl::kOneKeyTest);
}

class MacFromTheDatabase : public StationFixture {
protected:
    MacFromTheDatabase() { profile_ = std::string(kMacAndImei) + "[ReadFromDB]\nREAD_MAC_FROM_DB_IMEI=YES\n"; }
};

TEST_F(MacFromTheDatabase, TheWindowOpensWithTheFocusOnScanImei)
{
    ShowActive();
    EXPECT_EQ(window_->ControlIdOf(window_->focusWidget()), ctl::kScanImei);
}

}  // namespace
