#pragma once

#include <QFont>

// The window's 9-point font. It must carry CJK glyphs ("不确定状态"); the
// first family is Debian's fonts-wqy-zenhei, the others are fallbacks.
QFont StationFont();

inline constexpr int kStationFontPoints = 9;
