#include "screens/traceRaster.h"

#include <QImage>

#include <algorithm>
#include <cmath>
#include <vector>

namespace TraceRaster {

namespace {

// Sub-columns a pixel column is sampled at. With the points on whole pixels one, at the
// column's middle, comes closest to Qt's pixels; more smooth steep edges Qt leaves sharp.
constexpr int kSubColumns = 1;
constexpr double kTiny = 1e-9;
// The farthest a rectangle reaches in x beyond a segment's ends, in r: across and along.
constexpr double kMaxReach = 1.4143;

// A segment from p[i] to p[i + 1], set up for slicing on vertical lines: its start, the
// terms of its band's bounds and its reach in x.
struct Segment
{
    double ax, ay;
    double slope, halfHeight;     // across: y = ay + slope * dx -/+ halfHeight
    double ux, inverseUy, length; // along: from -r to length + r
    double left, right;
};

struct Run
{
    double top = 1e300;
    double bottom = -1e300;
    bool isEmpty() const { return bottom <= top; }
};

// The slice at x of the rectangle around a segment: within r across it and, as square
// caps and Qt's pens have it, within r beyond its ends along it. Neighbours' rectangles
// overlap at the joints and fill their outer corners.
inline void addSlice(Run& run, const Segment& s, double x, double r)
{
    const double dx = x - s.ax;
    double top = -1e300;
    double bottom = 1e300;
    if (s.halfHeight > 0) {
        const double y = s.ay + s.slope * dx;
        top = y - s.halfHeight;
        bottom = y + s.halfHeight;
    } else if (std::abs(dx) > r) {
        return; // a vertical segment out of reach
    }
    if (s.inverseUy != 0) {
        const double along = s.ux * dx;
        double s0 = s.ay - (r + along) * s.inverseUy;
        double s1 = s.ay + (s.length + r - along) * s.inverseUy;
        if (s0 > s1)
            std::swap(s0, s1);
        top = std::max(top, s0);
        bottom = std::min(bottom, s1);
    } else if (dx < -r || dx > s.length + r) {
        return; // a level segment out of reach
    }
    if (bottom > top) {
        run.top = std::min(run.top, top);
        run.bottom = std::max(run.bottom, bottom);
    }
}

} // namespace

void Stroke(QImage& image, const QPointF* points, int count, QColor colour, double width,
            Rows* touched)
{
    if (count < 1 || image.depth() != 32 || width <= 0)
        return;
    const double r = width / 2;
    const int w = image.width();
    const int h = image.height();
    const int red = colour.red();
    const int green = colour.green();
    const int blue = colour.blue();
    const int opacity = colour.alpha();

    // Kept between calls (GUI thread only): the chart strokes every tick.
    static std::vector<Segment> segments;
    segments.resize(size_t(std::max(1, count - 1)));
    const int segmentCount = count - 1;
    for (int i = 0; i < segmentCount; ++i) {
        const QPointF& a = points[i];
        const QPointF& b = points[i + 1];
        const double ex = b.x() - a.x();
        const double ey = b.y() - a.y();
        const double length = std::sqrt(ex * ex + ey * ey);
        Segment& s = segments[size_t(i)];
        s = {a.x(), a.y(), 0, 0, 1, 0, length, 0, 0};
        double ux = 1;
        double uy = 0;
        if (length > 0) {
            ux = ex / length;
            uy = ey / length;
        }
        s.ux = ux;
        if (ux > kTiny) {
            s.slope = uy / ux;
            s.halfHeight = r / ux;
        }
        if (std::abs(uy) > kTiny)
            s.inverseUy = 1 / uy;
        // How far the rectangle reaches in x beyond the segment's own ends.
        const double reach = r * (ux + std::abs(uy));
        s.left = std::min(a.x(), b.x()) - reach;
        s.right = std::max(a.x(), b.x()) + reach;
    }
    if (segmentCount == 0) // a single point: a square around it
        segments[0] = {points[0].x(),     points[0].y(),    0, r, 1, 0, 0,
                       points[0].x() - r, points[0].x() + r};
    const int sliced = std::max(1, segmentCount);

    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    int first = 0; // the first point whose segment can reach the column
    const int start = std::max(0, int(std::floor(segments[0].left)));
    const int end = std::min(w - 1, int(std::floor(segments[size_t(sliced - 1)].right)));
    for (int column = start; column <= end; ++column) {
        while (first < sliced - 1 && segments[size_t(first)].right < column)
            ++first;
        Run runs[kSubColumns];
        double top = 1e300;
        double bottom = -1e300;
        for (int sub = 0; sub < kSubColumns; ++sub) {
            const double x = column + (sub + 0.5) / kSubColumns;
            Run& run = runs[sub];
            for (int i = first; i < sliced && segments[size_t(i)].ax - kMaxReach * r <= x; ++i) {
                if (x <= segments[size_t(i)].right)
                    addSlice(run, segments[size_t(i)], x, r);
            }
            if (!run.isEmpty()) {
                top = std::min(top, run.top);
                bottom = std::max(bottom, run.bottom);
            }
        }
        if (bottom <= top)
            continue;
        const int rowTop = std::max(0, int(std::floor(top)));
        const int rowEnd = std::min(h - 1, int(std::ceil(bottom)) - 1);
        if (rowEnd < rowTop)
            continue;
        if (touched) {
            touched[column].first = std::min(touched[column].first, rowTop);
            touched[column].last = std::max(touched[column].last, rowEnd);
        }
        // Rows inside every sub-column's run are covered whole; only the rows at the ends of
        // the runs, a few per column even where a steep stroke covers many, are worked out.
        int solidTop = rowEnd + 1;
        int solidEnd = rowEnd + 1;
        bool allCover = true;
        double innerTop = -1e300;
        double innerBottom = 1e300;
        for (const Run& run : runs) {
            allCover = allCover && !run.isEmpty();
            innerTop = std::max(innerTop, run.top);
            innerBottom = std::min(innerBottom, run.bottom);
        }
        if (allCover && innerBottom - innerTop >= 1) {
            solidTop = std::max(rowTop, int(std::ceil(innerTop)));
            solidEnd = std::min(rowEnd + 1, int(std::floor(innerBottom)));
            if (solidEnd <= solidTop)
                solidTop = solidEnd = rowEnd + 1;
        }
        const QRgb solid = qRgb(red, green, blue);
        // Over what is there, by the cover and the colour's own opacity.
        const auto blend = [&](QRgb* pixel, int alpha) {
            alpha = alpha * opacity / 255;
            if (alpha >= 255) {
                *pixel = solid;
                return;
            }
            const int keep = 255 - alpha;
            const QRgb was = *pixel;
            *pixel = qRgb((red * alpha + qRed(was) * keep + 127) / 255,
                          (green * alpha + qGreen(was) * keep + 127) / 255,
                          (blue * alpha + qBlue(was) * keep + 127) / 255);
        };
        for (int row = solidTop; row < solidEnd; ++row) {
            QRgb* pixel = reinterpret_cast<QRgb*>(bits + row * stride) + column;
            if (opacity == 255)
                *pixel = solid;
            else
                blend(pixel, 255);
        }
        const auto blendRows = [&](int from, int to) {
            for (int row = from; row < to; ++row) {
                double inside = 0;
                for (const Run& run : runs) {
                    if (!run.isEmpty())
                        inside += std::max(0.0, std::min(run.bottom, row + 1.0) -
                                                    std::max(run.top, double(row)));
                }
                const int alpha = std::min(255, int(inside * (255.0 / kSubColumns) + 0.5));
                if (alpha > 0)
                    blend(reinterpret_cast<QRgb*>(bits + row * stride) + column, alpha);
            }
        };
        blendRows(rowTop, std::min(solidTop, rowEnd + 1));
        blendRows(solidEnd, rowEnd + 1);
    }
}

} // namespace TraceRaster
