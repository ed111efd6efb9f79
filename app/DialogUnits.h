#pragma once

#include <QRect>
#include <QSize>

#include "app/WindowTemplate.h"

class QFont;

// Maps dialog units to pixels. A horizontal unit is a quarter of the font's
// average character width, a vertical unit an eighth of its line height, so
// the layout grows with the font.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(double pixelsPerUnitX, double pixelsPerUnitY);

    // Edges are rounded one by one, so rectangles that touch in dialog units
    // touch in pixels and never overlap.
    QRect ToPixels(const DluRect& rect) const;
    QSize ToPixels(int width, int height) const;

    double XScale() const { return x_; }
    double YScale() const { return y_; }

private:
    int X(int units) const;
    int Y(int units) const;

    double x_;
    double y_;
};
