#pragma once

#include <qwt_plot_curve.h>
#include <qwt_plot_item.h>

#include <QImage>
#include <QVector>

// A curve that Qwt leaves undrawn: the RasterCurvesLayer of its plot strokes it.
class RasterCurve : public QwtPlotCurve
{
public:
    using QwtPlotCurve::QwtPlotCurve;

protected:
    void drawSeries(QPainter*, const QwtScaleMap&, const QwtScaleMap&, const QRectF&, int,
                    int) const override
    {}
};

// Draws the visible RasterCurves of its plot, lowest first, with their pens into one
// opaque picture over the canvas's background colour. Their points ascend in x. Qt's
// general stroker cost several times more for curves of a few hundred points.
class RasterCurvesLayer : public QwtPlotItem
{
public:
    RasterCurvesLayer() { setZ(0.0); }
    int rtti() const override { return QwtPlotItem::Rtti_PlotUserItem; }
    void draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap,
              const QRectF& canvasRect) const override;

private:
    mutable QImage m_image;
    mutable QVector<QPointF> m_points;
};
