#pragma once

#include <QIcon>

// The application's icon: a hotspot's radio waves on a rounded tile, drawn
// at the usual icon sizes.
QIcon ApplicationIcon();
