// The window's geometry in pixels: texts fit their controls and pictures
// their indicators, whatever the font's measures.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "app/DialogUnits.h"
#include "app/IndicatorArt.h"
#include "app/QtStationWindow.h"
#include "station/ControlIds.h"

namespace {

// Room a push button's frame takes on each side of its caption.
constexpr int kButtonFramePixels = 4;

TEST(DialogUnits, RectanglesThatTouchInUnitsTouchInPixels)
{
    const DialogUnits units(1.59, 1.89);
    for (int x = 0; x < 50; ++x) {
        const QRect left = units.ToPixels(DluRect {x, x, 7, 5});
        const QRect right = units.ToPixels(DluRect {x + 7, x + 5, 9, 3});
        EXPECT_EQ(left.right() + 1, right.left()) << x;
        EXPECT_EQ(left.bottom() + 1, right.top()) << x;
    }
}

TEST(WindowLayout, ButtonCaptionsFit)
{
    QtStationWindow window;
    for (const QPushButton* button : window.findChildren<QPushButton*>()) {
        const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 2 * kButtonFramePixels;
        EXPECT_LE(needed, button->width()) << button->text().toStdString();
    }
}

TEST(WindowLayout, LabelTextsFit)
{
    QtStationWindow window;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
        EXPECT_LE(label->fontMetrics().height(), label->height()) << label->text().toStdString();
    }
}

TEST(WindowLayout, SlotNumberStandsLargeInAFreeCorner)
{
    QtStationWindow window;
    window.ShowSlot(8);
    const QLabel* slot = window.SlotLabel();
    EXPECT_EQ(window.windowTitle().toStdString(), "SLOT 8 - KAVO RURIZUDA TOOL 1.2.2.5");
    EXPECT_EQ(slot->text().toStdString(), "SLOT 8");
    EXPECT_GE(slot->font().pointSizeF(), 2 * window.font().pointSizeF());
    EXPECT_LE(slot->fontMetrics().horizontalAdvance(slot->text()), slot->width());
    EXPECT_LE(slot->fontMetrics().height(), slot->height());
    EXPECT_TRUE(window.rect().contains(slot->geometry()));
    for (const QWidget* control : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control != slot && control->isVisibleTo(&window)) {
            EXPECT_FALSE(control->geometry().intersects(slot->geometry())) << window.ControlIdOf(control);
        }
    }
}

TEST(WindowLayout, EditsAreTallEnoughForText)
{
    QtStationWindow window;
    for (const QLineEdit* edit : window.findChildren<QLineEdit*>())
        EXPECT_LE(edit->minimumSizeHint().height(), edit->height());
}

TEST(WindowLayout, IndicatorsHoldEveryPictureTheyShow)
{
    QtStationWindow window;
    const Picture lampPictures[] = {Picture::Going, Picture::Success, Picture::Fail, Picture::Blank};
    for (int lamp : {ctl::kMainLamp, ctl::kSimLamp, ctl::kSdLamp, ctl::kWifiLamp, ctl::kOneKeyLamp}) {
        const QSize room = window.Control(lamp)->size();
        for (Picture picture : lampPictures) {
            const QSize size = IndicatorArt::SizeOf(picture);
            EXPECT_TRUE(size.width() <= room.width() && size.height() <= room.height()) << lamp;
        }
    }
    const QSize presence = window.Control(ctl::kPresenceLamp)->size();
    for (Picture picture : {Picture::GreenDisc, Picture::RedDisc}) {
        const QSize size = IndicatorArt::SizeOf(picture);
        EXPECT_TRUE(size.width() <= presence.width() && size.height() <= presence.height());
    }
}

}  // namespace
