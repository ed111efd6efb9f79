// The slot's state in its large label: the rules in virtual time, and the
// label of a real window through one unit's cycle.
#include "app/SlotState.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPalette>

#include "app/QtStationWindow.h"
#include "station/ControlIds.h"
#include "station/StatusKinds.h"

namespace {

using namespace std::chrono_literals;
using Clock = SlotState::Clock;

// What the controller shows, at a second from the start.
struct Shown {
    int second;
    int id;
    Picture picture;     // Picture::None with a text
    const char* text = nullptr;
};

struct StateRow {
    const char* name;
    std::vector<Shown> shown;
    int atSecond;  // when the label is read
    const char* expected;
};

constexpr int kMain = ctl::kMainLamp;
constexpr int kOneKey = ctl::kOneKeyLamp;
constexpr int kPresence = ctl::kPresenceLamp;
constexpr int kResult = ctl::kResultBox;
const Picture kGoing = Picture::Going;
const Picture kSuccess = Picture::Success;
const Picture kFail = Picture::Fail;

const StateRow kRows[] = {
    {"NothingShownIsWaiting", {}, 0, "Waiting"},
    {"NoUnitIsWaiting", {{0, kPresence, Picture::RedDisc}}, 5, "Waiting"},
    {"FirstGoingStartsTheTest", {{3, kMain, kGoing}}, 15, "Testing 12 s"},
    {"LaterItemsKeepTheStart", {{3, kMain, kGoing}, {5, kMain, kSuccess}, {8, kMain, kGoing}}, 10, "Testing 7 s"},
    {"PassedVerdict", {{0, kMain, kGoing}, {20, kOneKey, kSuccess}}, 30, "PASS"},
    {"FailedVerdict", {{0, kMain, kGoing}, {20, kMain, kFail}, {20, kOneKey, kFail}}, 30, "FAIL"},
    {"RebootAfterThePassKeepsIt", {{0, kMain, kGoing}, {20, kOneKey, kSuccess}, {21, kMain, kGoing}}, 30, "PASS"},
    {"TestFinishStores",
     {{0, kMain, kGoing}, {20, kOneKey, kSuccess}, {25, kMain, kGoing}, {25, kMain, kSuccess},
      {25, kResult, Picture::None, kStoredStatusText}},
     30, "Stored"},
    {"RefusedStoreKeepsTheVerdict",
     {{0, kMain, kGoing}, {20, kOneKey, kSuccess}, {25, kMain, kFail}, {25, kResult, Picture::None,
                                                                         "Failed to write database!"}},
     30, "PASS"},
    {"StoredTextUnderAFailedLampIsNoStore",
     {{0, kMain, kGoing}, {20, kOneKey, kFail}, {25, kMain, kFail}, {25, kResult, Picture::None, kStoredStatusText}},
     30, "FAIL"},
    {"RetestWaitsForTheNextUnit", {{0, kMain, kGoing}, {20, kOneKey, kFail}, {25, kOneKey, Picture::Blank}}, 30,
     "Waiting"},
    {"NextUnitClearsTheVerdict",
     {{0, kPresence, Picture::GreenDisc}, {1, kMain, kGoing}, {20, kOneKey, kFail}, {25, kPresence, Picture::RedDisc},
      {26, kPresence, Picture::GreenDisc}},
     30, "Waiting"},
    {"SameUnitShownAgainKeepsTheVerdict",
     {{0, kPresence, Picture::GreenDisc}, {1, kMain, kGoing}, {20, kOneKey, kFail},
      {25, kPresence, Picture::GreenDisc}},
     30, "FAIL"},
    {"GoingAfterAStoreStartsTheNextTest",
     {{0, kMain, kGoing}, {10, kMain, kSuccess}, {10, kResult, Picture::None, kStoredStatusText}, {40, kMain, kGoing}},
     42, "Testing 2 s"},
};

void PrintTo(const StateRow& row, std::ostream* out)
{
    *out << row.name;
}

class SlotStateRule : public testing::TestWithParam<StateRow> {};

TEST_P(SlotStateRule, LabelSaysWhatTheSlotDoes)
{
    const StateRow& row = GetParam();
    const Clock::time_point start {};
    SlotState state;
    for (const Shown& shown : row.shown) {
        if (shown.text)
            state.OnText(shown.id, shown.text);
        else
            state.OnPicture(shown.id, shown.picture, start + std::chrono::seconds(shown.second));
    }
    EXPECT_EQ(state.Text(start + std::chrono::seconds(row.atSecond)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, SlotStateRule, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<StateRow>& info) { return info.param.name; });

// The label of a real window through one cycle, as the controller drives it.
TEST(SlotStateLabel, OneCycleInTextAndColour)
{
    QtStationWindow window;
    window.ShowSlot(3);
    const QLabel* label = window.SlotLabel();
    const QColor plain = window.palette().color(QPalette::Window);
    struct Step {
        std::function<void()> show;
        const char* text;
        QColor background;
    };
    const Step steps[] = {
        {[] {}, "SLOT 3\nWaiting", plain},
        {[&] { window.SetPicture(ctl::kMainLamp, Picture::Going); }, "SLOT 3\nTesting 0 s", plain},
        {[&] { window.SetPicture(ctl::kOneKeyLamp, Picture::Success); }, "SLOT 3\nPASS", QColor(0, 200, 0)},
        {[&] {
             window.SetPicture(ctl::kMainLamp, Picture::Success);
             window.SetText(ctl::kResultBox, kStoredStatusText);
         },
         "SLOT 3\nStored", plain},
        {[&] { window.SetPicture(ctl::kOneKeyLamp, Picture::Blank); }, "SLOT 3\nWaiting", plain},
        {[&] { window.SetPicture(ctl::kMainLamp, Picture::Going); }, "SLOT 3\nTesting 0 s", plain},
        {[&] { window.SetPicture(ctl::kOneKeyLamp, Picture::Fail); }, "SLOT 3\nFAIL", QColor(220, 0, 0)},
    };
    for (const Step& step : steps) {
        step.show();
        EXPECT_EQ(label->text().toStdString(), step.text);
        const QColor background = label->autoFillBackground() ? label->palette().color(QPalette::Window) : plain;
        EXPECT_EQ(background, step.background) << step.text;
        const QSize needed = label->fontMetrics().size(0, label->text());
        EXPECT_LE(needed.width(), label->width()) << step.text;
        EXPECT_LE(needed.height(), label->height()) << step.text;
    }
    // Nothing else of the window follows the state.
    EXPECT_EQ(window.windowTitle().toStdString(), "SLOT 3 - KAVO RURIZUDA TOOL 1.2.2.5");
}

TEST(SlotStateLabel, EngineeringStationHasNoStateLabel)
{
    QtStationWindow window;
    window.ShowSlot(2, false);
    window.SetPicture(ctl::kOneKeyLamp, Picture::Fail);
    EXPECT_EQ(window.SlotLabel(), nullptr);
}

}  // namespace
