#include "app/DialogUnits.h"

#include <cmath>

#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QString>

namespace {
constexpr int kUnitsPerCharWidth = 4;
constexpr int kUnitsPerCharHeight = 8;
const QString kAverageSample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    // The line height in whole pixels, as text is laid out; the average
    // width unrounded, or long captions would drift out of their controls.
    const QFontMetricsF metrics(font);
    x_ = metrics.horizontalAdvance(kAverageSample) / kAverageSample.size() / kUnitsPerCharWidth;
    y_ = static_cast<double>(QFontMetrics(font).height()) / kUnitsPerCharHeight;
}

DialogUnits::DialogUnits(double pixelsPerUnitX, double pixelsPerUnitY)
    : x_(pixelsPerUnitX)
    , y_(pixelsPerUnitY)
{
}

int DialogUnits::X(int units) const
{
    return static_cast<int>(std::lround(units * x_));
}

int DialogUnits::Y(int units) const
{
    return static_cast<int>(std::lround(units * y_));
}

QRect DialogUnits::ToPixels(const DluRect& rect) const
{
    const int left = X(rect.x);
    const int top = Y(rect.y);
    return {left, top, X(rect.x + rect.w) - left, Y(rect.y + rect.h) - top};
}

QSize DialogUnits::ToPixels(int width, int height) const
{
    return {X(width), Y(height)};
}
