#include "app/AppIcon.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kIconSizes[] = {16, 24, 32, 48, 64};
const QColor kTile(0, 110, 140);
const QColor kWaves(255, 255, 255);
constexpr int kArcs = 3;
// QPainter measures arcs in sixteenths of a degree.
constexpr int kArcStart = 45 * 16;
constexpr int kArcSpan = 90 * 16;

}  // namespace

QImage DrawApplicationIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTile);
    painter.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s / 5, s / 5);

    const QPointF source(s / 2, s * 0.78);
    const double dot = s / 10;
    painter.setBrush(kWaves);
    painter.drawEllipse(source, dot, dot);

    QPen pen(kWaves, std::max(1.0, s / 12), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (int arc = 1; arc <= kArcs; ++arc) {
        const double r = s * 0.18 * arc;
        painter.drawArc(QRectF(source.x() - r, source.y() - r, 2 * r, 2 * r), kArcStart, kArcSpan);
    }
    return image;
}

QIcon ApplicationIcon()
{
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(DrawApplicationIcon(size)));
    return icon;
}
