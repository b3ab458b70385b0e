#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QVector>

// The transmit-power bar that the bar graph, the chart and the spectrum draw beside their
// plots: 8.3 pixels per transmit-power unit, 166 pixels at full scale.
namespace PowerBar {

constexpr int kFullScaleTxPower = 20;

// A reading above full scale (a damaged or foreign result) fills the bar and no more,
// as the RX bars stop at their full-scale reading.
constexpr int Height(int txPower)
{
    const int tx = txPower < 0 ? 0 : (txPower > kFullScaleTxPower ? kFullScaleTxPower : txPower);
    return tx * 830 / 100;
}

// Marker offset for a power or trip level: where a power bar of that many units would end.
constexpr int LevelOffset(int level)
{
    return (5 * level) * 166 / 100;
}

// One picture of a view's painting, by its view's own picture names, at its top-left corner.
template <typename Image> struct Placement
{
    Image image;
    int x;
    int y;
    bool operator==(const Placement& o) const { return image == o.image && x == o.x && y == o.y; }
};

// The strips of one bar `height` pixels high whose bottom picture sits at (x, bottomY):
// the bottom, a fill strip every 2 pixels above it, and the top picture once the bar is
// full. The fill and top pictures follow the bottom one in the view's enumeration.
template <typename Image>
void AppendBar(QVector<Placement<Image>>& out, Image bottom, int x, int bottomY, int height)
{
    constexpr int kFullBar = Height(kFullScaleTxPower);
    out.append({bottom, x, bottomY});
    for (int i = 0; i < height; i += 2)
        out.append({Image(bottom + 1), x, bottomY - 2 - i});
    if (height > kFullBar - 1)
        out.append({Image(bottom + 2), x, bottomY - kFullBar - 4});
}

// Everything a bar drawn by AppendBar at (x, bottomY) covers at its full height, for its
// bottom, fill and top pictures' sizes: when only a bar's height changed, repainting this
// is enough.
inline QRect ColumnRect(int x, int bottomY, const QSize& bottom, const QSize& fill,
                        const QSize& top)
{
    constexpr int kFullBar = Height(kFullScaleTxPower);
    return QRect(QPoint(x, bottomY), bottom)
        .united(QRect(QPoint(x, bottomY - 2), fill))
        .united(QRect(QPoint(x, bottomY - kFullBar), fill))
        .united(QRect(QPoint(x, bottomY - kFullBar - 4), top));
}

// Paints placements in order, images[p.image] at each, leaving out those wholly outside
// `area` (the paint event's rectangle: a result repaints only its bars' columns). A run of
// one picture stacked upwards edge to edge (a bar's fill, a strip every 2 pixels) goes as
// one tiled fill: the same pixels as strip after strip, in one call instead of up to 83.
template <typename Image>
void Paint(QPainter& painter, const QVector<Placement<Image>>& placements, const QPixmap* images,
           const QRect& area)
{
    for (int i = 0; i < placements.size();) {
        const Placement<Image>& p = placements[i];
        const QPixmap& image = images[p.image];
        const int h = image.height();
        int end = i + 1;
        while (h > 0 && end < placements.size() && placements[end].image == p.image &&
               placements[end].x == p.x && placements[end].y == placements[end - 1].y - h)
            ++end;
        const int top = placements[end - 1].y;
        const QRect covered(p.x, top, image.width(), p.y + h - top);
        if (covered.intersects(area)) {
            if (end - i > 1)
                painter.drawTiledPixmap(covered, image);
            else
                painter.drawPixmap(p.x, p.y, image);
        }
        i = end;
    }
}

} // namespace PowerBar
