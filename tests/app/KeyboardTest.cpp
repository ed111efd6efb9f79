// Keys, clicks, timers and notifications: what reaches the receiver and what
// ends the window.
#include <unistd.h>

#include <array>
#include <vector>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "ModalWatcher.h"
#include "StationFixture.h"
#include "app/WindowEvents.h"
#include "station/ControlIds.h"

namespace {

constexpr int kScanFields[] = {ctl::kScanMac, ctl::kScanImei, ctl::kScanSn, ctl::kScanPcbaSn};
constexpr int kTickMs = 5;
constexpr int kWaitMs = 80;

class RecordingEvents : public WindowEvents {
public:
    void OnCommand(int id) override { commands.push_back(id); }
    void OnTimer(int id) override { timers.push_back(id); }
    bool OnEnterKey(int id) override
    {
        enters.push_back(id);
        return enterUsed;
    }
    void OnDeviceNotification() override
    {
        char byte;
        [[maybe_unused]] const auto n = read(notificationFd, &byte, 1);
        ++notifications;
    }
    void OnDestroy() override { ++destroys; }

    std::vector<int> commands;
    std::vector<int> timers;
    std::vector<int> enters;
    bool enterUsed = false;
    int notificationFd = -1;
    int notifications = 0;
    int destroys = 0;
};

// The window as built from its template, with a recording receiver.
class BareWindow : public testing::Test {
protected:
    void SetUp() override
    {
        window_.Attach(events_);
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    void PressEnterIn(int id, Qt::Key key = Qt::Key_Return)
    {
        window_.SetFocus(id);
        QTest::keyClick(window_.Control(id), key);
    }

    QtStationWindow window_;
    RecordingEvents events_;
    QSignalSpy finished_ {&window_, &QDialog::finished};
};

TEST_F(BareWindow, TabOrderBeginsWithTheScanFieldsThenOneKeyTest)
{
    std::vector<int> order;
    for (QWidget* w = window_.nextInFocusChain(); w != &window_; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && window_.ControlIdOf(w) != 0)
            order.push_back(window_.ControlIdOf(w));
    }
    ASSERT_GE(order.size(), 5u);
    const std::vector<int> firstFive(order.begin(), order.begin() + 5);
    EXPECT_EQ(firstFive,
              (std::vector<int> {ctl::kScanMac, ctl::kScanImei, ctl::kScanSn, ctl::kScanPcbaSn, ctl::kOneKeyTest}));
}

TEST_F(BareWindow, ScanFieldsCutTypedTextAtTheirLimit)
{
    const QString typed(40, QChar('7'));
    const std::array<std::pair<int, int>, 4> limits {
        {{ctl::kScanImei, 15}, {ctl::kScanMac, 18}, {ctl::kScanSn, 28}, {ctl::kScanPcbaSn, 28}}};
    for (const auto& [id, limit] : limits) {
        QTest::keyClicks(window_.Control(id), typed);
        EXPECT_EQ(window_.Text(id), std::string(limit, '7')) << id;
    }
}

TEST_F(BareWindow, EnterInAScanFieldGoesToTheReceiverWithThatField)
{
    for (bool used : {false, true}) {
        events_.enters.clear();
        events_.enterUsed = used;
        for (int id : kScanFields)
            PressEnterIn(id);
        EXPECT_EQ(events_.enters, std::vector<int>(std::begin(kScanFields), std::end(kScanFields)));
    }
    EXPECT_EQ(finished_.count(), 0);
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(BareWindow, EnterInAnyOtherEditDoesNothing)
{
    for (int id : {ctl::kVersionBox, ctl::kResultBox, ctl::kUsbModeBox, ctl::kReadPnBox}) {
        PressEnterIn(id);
        PressEnterIn(id, Qt::Key_Enter);
    }
    EXPECT_TRUE(events_.enters.empty());
    EXPECT_TRUE(events_.commands.empty());
    EXPECT_EQ(finished_.count(), 0);
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(BareWindow, EnterOnAFocusedButtonPressesThatButton)
{
    window_.SetFocus(ctl::kRetest);
    QTest::keyClick(window_.Control(ctl::kRetest), Qt::Key_Return);
    EXPECT_EQ(events_.commands, std::vector<int> {ctl::kRetest});
    EXPECT_EQ(finished_.count(), 0);

    window_.SetFocus(ctl::kOk);
    QTest::keyClick(window_.Control(ctl::kOk), Qt::Key_Return);
    ASSERT_EQ(finished_.count(), 1);
    EXPECT_EQ(finished_.at(0).at(0).toInt(), QDialog::Accepted);
}

TEST_F(BareWindow, ExitEscapeAndTheCloseBoxEndTheWindowRejected)
{
    QTest::mouseClick(window_.Control(ctl::kExit), Qt::LeftButton);
    window_.show();
    window_.SetFocus(ctl::kVersionBox);
    QTest::keyClick(window_.Control(ctl::kVersionBox), Qt::Key_Escape);
    window_.show();
    window_.close();
    ASSERT_EQ(finished_.count(), 3);
    for (const auto& arguments : finished_)
        EXPECT_EQ(arguments.at(0).toInt(), QDialog::Rejected);
    EXPECT_EQ(events_.destroys, 3);
    EXPECT_TRUE(events_.commands.empty());
}

TEST_F(BareWindow, ClicksOfEveryButtonButOkAndExitReachTheReceiver)
{
    std::vector<int> expected;
    for (QPushButton* button : window_.findChildren<QPushButton*>()) {
        const int id = window_.ControlIdOf(button);
        if (id == ctl::kOk || id == ctl::kExit)
            continue;
        button->click();
        expected.push_back(id);
    }
    EXPECT_EQ(events_.commands, expected);
    EXPECT_EQ(finished_.count(), 0);
}

TEST_F(BareWindow, TimerTicksCarryTheirIdUntilStopped)
{
    window_.StartTimer(ctl::kKeyPollTimer, kTickMs);
    window_.StartTimer(ctl::kOneKeyWaitTimer, kTickMs);
    QTest::qWait(kWaitMs);
    EXPECT_NE(std::count(events_.timers.begin(), events_.timers.end(), ctl::kKeyPollTimer), 0);
    EXPECT_NE(std::count(events_.timers.begin(), events_.timers.end(), ctl::kOneKeyWaitTimer), 0);

    window_.StopTimer(ctl::kKeyPollTimer);
    events_.timers.clear();
    QTest::qWait(kWaitMs);
    EXPECT_EQ(std::count(events_.timers.begin(), events_.timers.end(), ctl::kKeyPollTimer), 0);
    EXPECT_NE(events_.timers.size(), 0u);
    window_.StopTimer(ctl::kOneKeyWaitTimer);
}

TEST_F(BareWindow, AReadableNotificationDescriptorReachesTheReceiverUntilUnwatched)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    events_.notificationFd = fds[0];
    window_.WatchDeviceNotifications(fds[0]);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return events_.notifications == 1; }, kWaitMs * 10));

    window_.UnwatchDeviceNotifications();
    ASSERT_EQ(write(fds[1], "y", 1), 1);
    QTest::qWait(kWaitMs);
    EXPECT_EQ(events_.notifications, 1);
    close(fds[0]);
    close(fds[1]);
}

// The same with the station's controller behind the window.
using StationKeys = StationFixture;

TEST_F(StationKeys, EnterInAnEditDoesNotEndTheStationButExitDoes)
{
    ShowActive();
    ModalWatcher boxes;  // Enter in SCAN MAC presses ONEKEY TEST, which finds no unit
    QSignalSpy finished(window_.get(), &QDialog::finished);
    for (int id : {ctl::kVersionBox, ctl::kOneKeyResultBox, ctl::kScanMac}) {
        window_->Control(id)->setEnabled(true);
        window_->SetFocus(id);
        QTest::keyClick(window_->Control(id), Qt::Key_Return);
    }
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(window_->isVisible());

    QTest::mouseClick(window_->Control(ctl::kExit), Qt::LeftButton);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), QDialog::Rejected);
    EXPECT_FALSE(window_->isVisible());
}

}  // namespace
