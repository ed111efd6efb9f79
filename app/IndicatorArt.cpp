#include "app/IndicatorArt.h"

#include <algorithm>

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QRadialGradient>

namespace {

const QColor kDarkGreen(0, 128, 0);
const QColor kBrightGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGrey(192, 192, 192);
const QColor kDiscGreen(0, 200, 0);
const QColor kDiscRed(220, 0, 0);

constexpr int kWordPixelSize = 15;  // at the picture's full size
constexpr int kLeastWordPixelSize = 4;
constexpr int kWordMargin = 1;  // background left on each side of the word
constexpr int kDiscMargin = 4;

struct Art {
    QSize size;
    QColor background;
    const char* word;    // nullptr: no word
    const QColor* disc;  // nullptr: no disc
};

Art ArtOf(Picture picture)
{
    switch (picture) {
    case Picture::Going: return {{82, 24}, kDarkGreen, "GOING", nullptr};
    case Picture::Success: return {{74, 24}, kBrightGreen, "SUCCESS", nullptr};
    case Picture::Fail: return {{80, 25}, kRed, "FAIL", nullptr};
    case Picture::Blank: return {{81, 24}, kYellow, nullptr, nullptr};
    case Picture::GreenDisc: return {{77, 69}, kGrey, nullptr, &kDiscGreen};
    case Picture::RedDisc: return {{75, 67}, kGrey, nullptr, &kDiscRed};
    case Picture::None: break;
    }
    return {{}, {}, nullptr, nullptr};
}

// The word's font: its full-size pixel size scaled with the picture's
// height, then smaller until the word fits the picture with a margin.
QFont WordFont(const QSize& size, const QSize& fullSize, const QString& word)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    int pixels = std::max(kLeastWordPixelSize, kWordPixelSize * size.height() / std::max(1, fullSize.height()));
    for (; pixels > kLeastWordPixelSize; --pixels) {
        font.setPixelSize(pixels);
        const QRect ink = QFontMetrics(font).tightBoundingRect(word);
        if (ink.width() + 2 * kWordMargin <= size.width() && ink.height() + 2 * kWordMargin <= size.height())
            return font;
    }
    font.setPixelSize(kLeastWordPixelSize);
    return font;
}

void DrawWord(QPainter& painter, const QSize& size, const QSize& fullSize, const char* word)
{
    const QString text = QString::fromUtf8(word);
    painter.setFont(WordFont(size, fullSize, text));
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignCenter, text);
}

// A lamp: a shaded disc with a dark rim, centred on the field.
void DrawDisc(QPainter& painter, const QSize& size, const QColor& colour)
{
    const int diameter = std::min(size.width(), size.height()) - 2 * kDiscMargin;
    const QRectF disc((size.width() - diameter) / 2.0, (size.height() - diameter) / 2.0, diameter, diameter);
    QRadialGradient shade(disc.center() - QPointF(diameter / 6.0, diameter / 6.0), diameter / 1.5);
    shade.setColorAt(0.0, colour.lighter(160));
    shade.setColorAt(1.0, colour.darker(130));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour.darker(200), 1.5));
    painter.setBrush(shade);
    painter.drawEllipse(disc);
}

}  // namespace

QSize IndicatorArt::SizeOf(Picture picture)
{
    return ArtOf(picture).size;
}

QSize IndicatorArt::SizeIn(Picture picture, const QSize& room)
{
    const QSize full = SizeOf(picture);
    return room.isEmpty() ? full : full.boundedTo(room);
}

QPixmap IndicatorArt::Draw(Picture picture, const QSize& size)
{
    const Art art = ArtOf(picture);
    if (art.size.isEmpty())
        return {};
    QPixmap pixmap(size);
    pixmap.fill(art.background);
    QPainter painter(&pixmap);
    if (art.word)
        DrawWord(painter, size, art.size, art.word);
    if (art.disc)
        DrawDisc(painter, size, *art.disc);
    return pixmap;
}

const QPixmap& IndicatorArt::Pixmap(Picture picture, const QSize& room)
{
    const QSize size = SizeIn(picture, room);
    const auto key = std::make_tuple(picture, size.width(), size.height());
    auto it = cache_.find(key);
    if (it == cache_.end())
        it = cache_.emplace(key, Draw(picture, size)).first;
    return it->second;
}
