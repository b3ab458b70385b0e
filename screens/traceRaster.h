#pragma once

#include <QColor>
#include <QPointF>

class QImage;

// Strokes a trace whose points ascend in x straight into an opaque 32-bit image,
// antialiased. The traces are stroked 15 to 33 times a second and QPainter's general
// stroker (an outline path per polyline, then a path fill) was nearly all of the chart's
// cost; a trace is a graph of x, so each column's cover is one vertical run that can be
// worked out from the segments near it.
namespace TraceRaster {

// The rows a stroke wrote in one column, first to last; empty when first > last.
struct Rows
{
    int first = 1 << 30;
    int last = -1;
};

// points in the image's pixel coordinates (a pixel covers [x, x + 1) x [y, y + 1)); the
// stroke is width wide across the line, square at its ends as Qt's default pen is; a
// see-through colour is laid over what the image holds, each pixel once. When
// touched is given (one entry per column of the image), the rows written are added to it,
// so that the next picture can restore just those.
void Stroke(QImage& image, const QPointF* points, int count, QColor colour, double width,
            Rows* touched = nullptr);

} // namespace TraceRaster
