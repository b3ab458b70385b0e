#include "screens/rasterCurves.h"

#include "screens/traceRaster.h"

#include <qwt_plot.h>
#include <qwt_scale_map.h>

#include <QPainter>

#include <cmath>

namespace {

// Qt's rasterizer lays a see-through stroke on again where it crosses itself (a
// spectrum's spikes do, several to a column); stroked in short pieces, each laid over
// the last, it is laid on about as often. Six segments a piece came closest to Qt's
// pictures.
constexpr int kPiecePoints = 7;

// A mapped value as a whole pixel, as Qwt places a curve's points on a raster device;
// values far outside (or none, as a spectrum's log of 0) are held well off the canvas.
double pixel(double mapped)
{
    if (!std::isfinite(mapped))
        return mapped > 0 ? 1e5 : -1e5;
    return qRound(qBound(-1e5, mapped, 1e5));
}

} // namespace

void RasterCurvesLayer::draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap,
                             const QRectF& canvasRect) const
{
    const QRect area = canvasRect.toAlignedRect();
    if (area.isEmpty() || !plot())
        return;
    if (m_image.size() != area.size())
        m_image = QImage(area.size(), QImage::Format_RGB32);
    m_image.fill(plot()->canvasBackground().color());
    // The plot keeps its items in z order.
    for (QwtPlotItem* item : plot()->itemList(QwtPlotItem::Rtti_PlotCurve)) {
        const auto* curve = dynamic_cast<const RasterCurve*>(item);
        if (!curve || !curve->isVisible())
            continue;
        m_points.clear();
        for (size_t i = 0; i < curve->dataSize(); ++i) {
            const QPointF sample = curve->sample(int(i));
            const QPointF point(pixel(xMap.transform(sample.x())) - area.left(),
                                pixel(yMap.transform(sample.y())) - area.top());
            if (m_points.isEmpty() || point != m_points.last()) // as Qwt leaves repeats out
                m_points.append(point);
        }
        const int piece = curve->pen().color().alpha() < 255 ? kPiecePoints : m_points.size();
        for (int first = 0; first < m_points.size(); first += qMax(1, piece - 1))
            TraceRaster::Stroke(m_image, m_points.constData() + first,
                                qMin(piece, m_points.size() - first), curve->pen().color(),
                                curve->pen().widthF());
    }
    painter->drawImage(area.topLeft(), m_image);
}
