#pragma once

#include <QFont>

// The window's 9-point font. It must carry CJK glyphs ("不确定状态"); the
// first family is Debian's fonts-wqy-zenhei, the others are fallbacks.
// `scale` shrinks it: the window's layout follows its font (dialog units),
// so the whole window shrinks with it.
QFont StationFont(double scale = 1.0);

inline constexpr int kStationFontPoints = 9;
// The least scale a window is shown at: below it a window is unusable.
inline constexpr double kLeastWindowScale = 0.1;
