// The window's geometry in pixels: texts fit their controls and pictures
// their indicators, whatever the font's measures.
#include <QImage>
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

// The scales a window is shown at: full size, four slots on a 1920x1080
// screen, and eight slots.
constexpr double kScales[] = {1.0, 0.64, 0.5};

TEST(WindowLayout, ButtonCaptionsFit)
{
    for (const double scale : kScales) {
        QtStationWindow window(nullptr, scale);
        for (const QPushButton* button : window.findChildren<QPushButton*>()) {
            const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 2 * kButtonFramePixels;
            EXPECT_LE(needed, button->width()) << button->text().toStdString() << " at " << scale;
            EXPECT_LE(button->fontMetrics().height(), button->height()) << button->text().toStdString() << " at "
                                                                        << scale;
        }
    }
}

TEST(WindowLayout, LabelTextsFit)
{
    for (const double scale : kScales) {
        QtStationWindow window(nullptr, scale);
        window.ShowSlot(8);
        window.SetPicture(ctl::kMainLamp, Picture::Going);  // the slot label's longest state
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            const QSize needed = label->fontMetrics().size(0, label->text());
            EXPECT_LE(needed.width(), label->width()) << label->text().toStdString() << " at " << scale;
            EXPECT_LE(needed.height(), label->height()) << label->text().toStdString() << " at " << scale;
        }
    }
}

// The bounding box of the pixels of `image` inside `within` whose colour is
// (or, with `is` false, is not) `colour`.
QRect PixelsOf(const QImage& image, const QRect& within, const QColor& colour, bool is)
{
    QRect found;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if ((image.pixelColor(x, y) == colour) == is)
                found |= QRect(x, y, 1, 1);
    return found;
}

// Each indicator's word, rendered in its control, is whole: its pixels
// (anti-aliasing included) stay off every edge of the picture's background
// as the control shows it, and it is not too small to read.
TEST(WindowLayout, IndicatorWordsAreWholeAtEveryScale)
{
    for (const double scale : kScales) {
        QtStationWindow window(nullptr, scale);
        for (int lamp : {ctl::kMainLamp, ctl::kSimLamp, ctl::kSdLamp, ctl::kWifiLamp, ctl::kOneKeyLamp}) {
            for (Picture picture : {Picture::Going, Picture::Success, Picture::Fail}) {
                window.SetPicture(lamp, picture);
                const QImage shown = window.Control(lamp)->grab().toImage();
                const QColor background = IndicatorArt().Pixmap(picture).toImage().pixelColor(0, 0);
                const std::string where = std::to_string(lamp) + " picture " +
                                          std::to_string(static_cast<int>(picture)) + " at " + std::to_string(scale);
                const QRect field = PixelsOf(shown, shown.rect(), background, true);
                const QRect word = PixelsOf(shown, field, background, false);
                ASSERT_FALSE(word.isEmpty()) << where;
                EXPECT_TRUE(field.adjusted(1, 1, -1, -1).contains(word)) << "the word is cut: " << where;
                EXPECT_GE(word.height() * 3, shown.height()) << "the word is too small: " << where;
            }
        }
    }
}

TEST(WindowLayout, SlotNumberStandsLargeInAFreeCorner)
{
    QtStationWindow window;
    window.ShowSlot(8);
    const QLabel* slot = window.SlotLabel();
    EXPECT_EQ(window.windowTitle().toStdString(), "SLOT 8 - KAVO RURIZUDA TOOL 1.2.2.5");
    EXPECT_EQ(slot->text().toStdString(), "SLOT 8\nWaiting");
    EXPECT_GE(slot->font().pointSizeF(), 2 * window.font().pointSizeF());
    EXPECT_LE(slot->fontMetrics().size(0, slot->text()).width(), slot->width());
    EXPECT_LE(slot->fontMetrics().size(0, slot->text()).height(), slot->height());
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
