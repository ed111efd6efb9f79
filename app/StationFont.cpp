#include "app/StationFont.h"

#include <QStringList>

QFont StationFont(double scale)
{
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback"),
                      QStringLiteral("SimSun")});
    font.setPointSizeF(kStationFontPoints * scale);
    return font;
}
