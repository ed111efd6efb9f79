#include "app/IndicatorArt.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Expected {
    Picture picture;
    QSize size;
    QColor background;  // at the top-left corner
    bool hasWord;
};

const Expected kPictures[] = {
    {Picture::Going, {82, 24}, QColor(0, 128, 0), true},
    {Picture::Success, {74, 24}, QColor(0, 255, 0), true},
    {Picture::Fail, {80, 25}, QColor(255, 0, 0), true},
    {Picture::Blank, {81, 24}, QColor(255, 255, 0), false},
    {Picture::GreenDisc, {77, 69}, QColor(192, 192, 192), false},
    {Picture::RedDisc, {75, 67}, QColor(192, 192, 192), false},
};

bool HasBlackPixel(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 40)
                return true;
    return false;
}

TEST(IndicatorArt, EachPictureHasItsSizeBackgroundAndWord)
{
    IndicatorArt art;
    for (const Expected& e : kPictures) {
        const QImage image = art.Pixmap(e.picture).toImage();
        EXPECT_EQ(image.size(), e.size) << static_cast<int>(e.picture);
        EXPECT_EQ(image.pixelColor(0, 0), e.background) << static_cast<int>(e.picture);
        EXPECT_EQ(HasBlackPixel(image), e.hasWord) << static_cast<int>(e.picture);
    }
}

}  // namespace
