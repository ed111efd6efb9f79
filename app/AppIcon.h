#pragma once

#include <QIcon>
#include <QImage>

// The application's icon: a hotspot's radio waves on a rounded tile, drawn
// at the usual icon sizes.
QIcon ApplicationIcon();

// The same drawing as one square picture of `size` pixels, for the icon
// files of the installed station.
QImage DrawApplicationIcon(int size);
