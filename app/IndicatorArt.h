#pragma once

#include <map>

#include <QPixmap>
#include <QSize>

#include "station/StationWindow.h"

// The six indicator pictures, drawn on first use and kept for reuse.
class IndicatorArt {
public:
    // The picture's pixmap; a null pixmap for Picture::None.
    const QPixmap& Pixmap(Picture picture);

    // Size in pixels of each picture (empty for Picture::None).
    static QSize SizeOf(Picture picture);

private:
    static QPixmap Draw(Picture picture);

    std::map<Picture, QPixmap> cache_;
};
