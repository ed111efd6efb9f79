#pragma once

#include <map>
#include <tuple>

#include <QPixmap>
#include <QSize>

#include "station/StationWindow.h"

// The six indicator pictures, drawn on first use and kept for reuse. A
// picture is drawn into the room its control has: at its own size when that
// fits, else at the room's size with its word's font made smaller until the
// word fits whole (a window shown at a smaller scale).
class IndicatorArt {
public:
    // The picture's pixmap for a control of size `room` (empty: no limit);
    // a null pixmap for Picture::None.
    const QPixmap& Pixmap(Picture picture, const QSize& room = {});

    // Size in pixels of each picture at full size (empty for Picture::None).
    static QSize SizeOf(Picture picture);

    // The size the picture is drawn at in `room`.
    static QSize SizeIn(Picture picture, const QSize& room);

private:
    static QPixmap Draw(Picture picture, const QSize& size);

    std::map<std::tuple<Picture, int, int>, QPixmap> cache_;
};
