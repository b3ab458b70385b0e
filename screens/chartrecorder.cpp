#include "screens/chartrecorder.h"

#include "screens/arraySeries.h"
#include "screens/traceColours.h"
#include "screens/traceRaster.h"

#include <qwt_plot_canvas.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_draw.h>
#include <qwt_symbol.h>

#include <QEvent>
#include <QHideEvent>
#include <QPainter>
#include <QTimerEvent>

#include <vector>

namespace {

constexpr double kYMax = 100; // percent

// Prints the left axis's values in white, should the axis ever be shown.
class LeftScaleDraw : public QwtScaleDraw
{
public:
    QwtText label(double value) const override
    {
        QwtText text(QString::number(value, 'g', 6));
        text.setColor(Qt::white);
        return text;
    }
};

// Ten horizontal bands from white at the top, each a shade darker than the one above.
void paintBands(QPainter* painter, const QwtScaleMap& yMap, const QRectF& canvasRect)
{
    QColor colour(Qt::white);
    QRectF band = canvasRect;
    for (int top = 100; top > 0; top -= 10) {
        band.setTop(yMap.transform(top));
        band.setBottom(yMap.transform(top - 10));
        painter->fillRect(band, colour);
        colour = colour.darker(105);
    }
}

// The canvas's sunken frame, drawn once per size: the style strokes it line by line, which
// cost as much as a trace on every tick.
class ChartCanvas : public QwtPlotCanvas
{
protected:
    void drawBorder(QPainter* painter) override
    {
        if (m_border.size() != size()) {
            m_border = QImage(size(), QImage::Format_ARGB32_Premultiplied);
            m_border.fill(Qt::transparent);
            QPainter border(&m_border);
            QwtPlotCanvas::drawBorder(&border);
        }
        const int w = width();
        const int h = height();
        const int f = frameWidth();
        for (const QRect& strip : {QRect(0, 0, w, f), QRect(0, h - f, w, f),
                                   QRect(0, f, f, h - 2 * f), QRect(w - f, f, f, h - 2 * f)})
            painter->drawImage(strip.topLeft(), m_border, strip);
    }

    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
            m_border = QImage();
        QwtPlotCanvas::changeEvent(event);
    }

private:
    QImage m_border;
};

} // namespace

// The bands and the traces, drawn into one image: the bands are painted once per canvas
// size and copied in, the curves' data stroked on top of them, lowest curve first.
class ChartRecorder::TraceLayer : public QwtPlotItem
{
public:
    explicit TraceLayer(const ChartRecorder* chart) : m_chart(chart) { setZ(0.0); }

    int rtti() const override { return QwtPlotItem::Rtti_PlotUserItem; }

    void draw(QPainter* painter, const QwtScaleMap& xMap, const QwtScaleMap& yMap,
              const QRectF& canvasRect) const override
    {
        if (key(xMap, yMap, canvasRect) != m_drawn)
            render(xMap, yMap, canvasRect);
        painter->drawImage(canvasRect.toAlignedRect().topLeft(), m_image);
    }

    // Draws the bands and traces of the history as it is now into the kept picture and
    // returns the part of the canvas that changed.
    QRect render(const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF& canvasRect) const
    {
        const QRect area = canvasRect.toAlignedRect();
        m_drawn = key(xMap, yMap, canvasRect);
        if (area.isEmpty())
            return {};
        const bool resized = m_bands.size() != area.size() || m_bandsRect != canvasRect ||
                             m_bandsMap != std::make_pair(yMap.p1(), yMap.p2());
        if (resized) {
            m_bands = QImage(area.size(), QImage::Format_RGB32);
            m_bands.fill(Qt::white);
            QPainter bands(&m_bands);
            bands.translate(-area.topLeft());
            paintBands(&bands, yMap, canvasRect);
            m_bandsRect = canvasRect;
            m_bandsMap = std::make_pair(yMap.p1(), yMap.p2());
            m_image = m_bands.copy();
            m_touched.assign(size_t(area.width()), TraceRaster::Rows());
        }
        // Only the rows the last traces wrote go back to the bands.
        m_before = m_touched;
        const int stride = int(m_image.bytesPerLine());
        uchar* to = m_image.bits();
        const uchar* from = m_bands.constBits();
        for (int x = 0; x < area.width(); ++x) {
            TraceRaster::Rows& rows = m_touched[size_t(x)];
            for (int y = rows.first; y <= rows.last; ++y)
                reinterpret_cast<QRgb*>(to + y * stride)[x] =
                    reinterpret_cast<const QRgb*>(from + y * stride)[x];
            rows = TraceRaster::Rows();
        }
        const int n = m_chart->m_count;
        for (int c = kChannels - 1; c >= 0; --c) { // the curves' z order, lowest first
            const CpuCurve* curve = m_chart->m_curves[c];
            if (!curve->isVisible() || n == 0)
                continue;
            // As Qwt maps a curve for a raster device: points on whole pixels, each point
            // that lands where the one before it did left out.
            int kept = 0;
            for (int i = 0; i < n; ++i) {
                const QPointF point(qRound(xMap.transform(m_chart->sampleTimes[i])) - area.left(),
                                    qRound(yMap.transform(m_chart->samples[c][i])) - area.top());
                if (kept == 0 || point != m_points[kept - 1])
                    m_points[kept++] = point;
            }
            TraceRaster::Stroke(m_image, m_points, kept, curve->pen().color(),
                                curve->pen().widthF(), m_touched.data());
        }
        if (resized)
            return area;
        // What changed: the rows written before or now. One rectangle: a region of many
        // costs more to clip to than it saves, but a rectangle that stays below the top
        // edge spares the buttons over it their repaint.
        int left = area.width();
        int right = -1;
        TraceRaster::Rows span;
        for (int x = 0; x < area.width(); ++x) {
            for (const TraceRaster::Rows* rows : {&m_before[size_t(x)], &m_touched[size_t(x)]}) {
                if (rows->last < rows->first)
                    continue;
                left = std::min(left, x);
                right = x;
                span.first = std::min(span.first, rows->first);
                span.last = std::max(span.last, rows->last);
            }
        }
        if (right < left)
            return {};
        return QRect(area.left() + left, area.top() + span.first, right - left + 1,
                     span.last - span.first + 1);
    }

private:
    struct Key
    {
        double x1, x2, s1, s2, y1, y2;
        QRectF rect;
        quint64 generation;
        bool operator!=(const Key& o) const
        {
            return x1 != o.x1 || x2 != o.x2 || s1 != o.s1 || s2 != o.s2 || y1 != o.y1 ||
                   y2 != o.y2 || rect != o.rect || generation != o.generation;
        }
    };

    Key key(const QwtScaleMap& xMap, const QwtScaleMap& yMap, const QRectF& rect) const
    {
        return {xMap.p1(), xMap.p2(), xMap.s1(), xMap.s2(),
                yMap.p1(), yMap.p2(), rect,      m_chart->m_generation};
    }

    const ChartRecorder* m_chart;
    mutable Key m_drawn{};
    mutable QImage m_bands;
    mutable QRectF m_bandsRect;
    mutable std::pair<double, double> m_bandsMap;
    mutable QImage m_image;
    mutable std::vector<TraceRaster::Rows> m_touched;
    mutable std::vector<TraceRaster::Rows> m_before;
    mutable QPointF m_points[kHistory];
};

namespace {

struct CurveStyle
{
    const char* title;
    QColor colour;
    double width;
    bool visible;
};

} // namespace

ChartRecorder::ChartRecorder(QWidget* parent) : QwtPlot(parent)
{
    setAutoReplot(false);
    auto* canvas = new ChartCanvas;
    // The chart keeps its own picture of what changes; a second one of the whole canvas
    // would be redrawn and copied on every tick.
    canvas->setPaintAttribute(QwtPlotCanvas::BackingStore, false);
    // The picture and the frame cover every pixel of the canvas: nothing is filled beneath.
    canvas->setPaintAttribute(QwtPlotCanvas::Opaque, false);
    canvas->setAutoFillBackground(false);
    canvas->setAttribute(Qt::WA_OpaquePaintEvent);
    canvas->setBorderRadius(0);
    canvas->installEventFilter(this);
    setCanvas(canvas);
    plotLayout()->setCanvasMargin(20);
    plotLayout()->setAlignCanvasToScales(true);

    setAxisScaleDraw(QwtPlot::yLeft, new LeftScaleDraw);
    // The time axis moves with every tick but is never shown: without labels Qwt does not
    // measure a row of freshly formatted numbers in the font each time, which was nearly
    // all of a tick's cost.
    auto* timeScale = new QwtScaleDraw;
    timeScale->enableComponent(QwtAbstractScaleDraw::Labels, false);
    setAxisScaleDraw(QwtPlot::xBottom, timeScale);
    setAxisScale(QwtPlot::yLeft, 0, kYMax);
    enableAxis(QwtPlot::xBottom, false);
    enableAxis(QwtPlot::yLeft, false);

    m_traces = new TraceLayer(this);
    m_traces->attach(this);

    for (int i = 0; i < kHistory; ++i)
        sampleTimes[i] = kHistory - 1 - i;
    setAxisScale(QwtPlot::xBottom, sampleTimes[0], sampleTimes[kHistory - 1]);

    // Stacked from the top: "2nd", "3rd", "Power", "Trip".
    const CurveStyle styles[kChannels] = {{"2nd", TraceColours::Harmonic2nd(), 2, true},
                                          {"3rd", TraceColours::Harmonic3rd(), 2, true},
                                          {"Power", TraceColours::TxPower(), 2, true},
                                          {"Trip", Qt::blue, 1.5, false}};
    for (int c = 0; c < kChannels; ++c) {
        m_curves[c] = new CpuCurve(QString::fromLatin1(styles[c].title));
        m_curves[c]->setPen(styles[c].colour, styles[c].width);
        m_curves[c]->setZ(m_curves[c]->z() + kChannels - c);
        m_series[c] = new ArraySeries(sampleTimes, samples[c], 0, kYMax);
        m_curves[c]->setData(m_series[c]); // owned by the curve
        m_curves[c]->attach(this);
        m_curves[c]->setVisible(styles[c].visible);
    }

    m_marker = new QwtPlotMarker;
    m_marker->setSymbol(
        new QwtSymbol(QwtSymbol::Diamond, QBrush(Qt::blue), QPen(Qt::magenta), QSize(7, 7)));
    m_marker->setZ(m_curves[eRadio2nd]->z() + 1);
    m_marker->setValue(sampleTimes[0], 0);
    m_marker->setVisible(false);
    m_marker->attach(this);

    // The tick timer runs while the chart shows and has something to record; hidden or at
    // rest, the ticks it would have made are made when a result comes or the page shows
    // (catchUp), without waking the processor 15 to 33 times a second for nothing.
    m_clock.start();
}

ChartRecorder::~ChartRecorder() = default;

QPointF ChartRecorder::markerPosition() const
{
    return m_marker->value();
}

bool ChartRecorder::isMarkerShown() const
{
    return m_marker->isVisible();
}

bool ChartRecorder::isCurveVisible(int channel) const
{
    return m_curves[channel]->isVisible();
}

void ChartRecorder::NewHarmonicData(int txPower, int harm2nd, int harm3rd)
{
    if (!m_timerId)
        catchUp();
    m_hasResult = true;
    lastPower = txPower * 5;
    peak2nd = qMax(peak2nd, qMin(harm2nd, kRxFullScale) * 100 / kRxFullScale);
    peak3rd = qMax(peak3rd, qMin(harm3rd, kRxFullScale) * 100 / kRxFullScale);
    wake();
}

void ChartRecorder::wake()
{
    if (!m_resting)
        return;
    m_resting = false;
    if (isVisible()) {
        catchUp();
        startTicking();
    }
}

void ChartRecorder::advance()
{
    // Before the first result the traces would be a run of zeros and the diamond a peak
    // at 0: readings the head never gave.
    if (!m_hasResult)
        return;
    // Shift in place, oldest first, looking for the highest harmonic sample on the way:
    // on equal values the oldest wins, and the 2nd harmonic over the 3rd.
    double maxValue = 0;
    int maxChannel = eRadio2nd;
    int maxAt = 0;
    for (int n = m_count; n >= 1; --n) {
        if (n > kHistory - 1)
            continue; // the oldest sample falls off
        for (int c = 0; c < kChannels; ++c)
            samples[c][n] = samples[c][n - 1];
        for (int c = eRadio2nd; c <= eRadio3rd; ++c) {
            if (samples[c][n] > maxValue) {
                maxValue = samples[c][n];
                maxChannel = c;
                maxAt = n;
            }
        }
    }
    samples[eRadio2nd][0] = peak2nd;
    samples[eRadio3rd][0] = peak3rd;
    samples[eRadioPower][0] = lastPower;
    samples[kTripChannel][0] = 0;
    peak2nd = 0;
    peak3rd = 0;
    if (m_count < kHistory)
        ++m_count;

    for (double& t : sampleTimes)
        t += 1;
    // The time axis is hidden: its scale is set as a plain interval, without the ticks and
    // label sizes Qwt's scale engine and a full replot would work out for it every tick.
    setAxisScaleDiv(QwtPlot::xBottom, QwtScaleDiv(sampleTimes[0], sampleTimes[kHistory - 1]));
    for (ArraySeries* series : m_series)
        series->setSize(m_count);
    const QPointF marker(sampleTimes[maxAt], samples[maxChannel][maxAt]);
    // A history that is one value throughout looks the same after the shift: nothing to draw.
    const bool unchanged = m_count == kHistory && isUniform() && m_marker->isVisible() &&
                           m_marker->value().y() == marker.y();
    m_marker->setValue(marker);
    m_marker->setVisible(true);
    if (unchanged && !m_stale) {
        // At rest: the ticks to come change nothing until a result or a toggle wakes the
        // chart; their time is made up then.
        m_resting = true;
        stopTicking();
        return;
    }
    // Hidden, the history is kept current and drawn once the page shows again.
    m_stale = !isVisible();
    if (!m_stale)
        drawTick();
}

// The traces are drawn into the kept picture now; the canvas repaints only where it changed.
void ChartRecorder::drawTick()
{
    ++m_generation;
    const QwtScaleMap xMap = canvasMap(QwtPlot::xBottom);
    const QwtScaleMap yMap = canvasMap(QwtPlot::yLeft);
    QRect changed = m_traces->render(xMap, yMap, canvas()->contentsRect());
    // The diamond where it was last drawn and where it is now.
    const QPoint centre(qRound(xMap.transform(m_marker->value().x())),
                        qRound(yMap.transform(m_marker->value().y())));
    const QRect marker(centre - QPoint(6, 6), QSize(13, 13));
    changed |= m_markerDrawn;
    changed |= marker;
    m_markerDrawn = marker;
    canvas()->update(changed);
}

bool ChartRecorder::isUniform() const
{
    for (int c = 0; c < kChannels; ++c)
        for (int i = 1; i < m_count; ++i)
            if (samples[c][i] != samples[c][0])
                return false;
    return true;
}

qint64 ChartRecorder::nowMs() const
{
    return m_clock.elapsed();
}

void ChartRecorder::catchUp()
{
    const qint64 due = (nowMs() - m_lastTickMs) / m_periodMs;
    if (due <= 0)
        return;
    m_lastTickMs += due * m_periodMs;
    // Past a whole history more ticks only move the (hidden) time axis on.
    const qint64 made = qMin<qint64>(due, kHistory + 1);
    for (qint64 i = 0; i < made; ++i)
        advance();
    if (m_hasResult && due > made)
        for (double& t : sampleTimes)
            t += double(due - made);
}

void ChartRecorder::startTicking()
{
    if (m_timerId)
        killTimer(m_timerId);
    m_timerId = startTimer(m_periodMs);
}

void ChartRecorder::stopTicking()
{
    if (m_timerId)
        killTimer(m_timerId);
    m_timerId = 0;
}

void ChartRecorder::hideEvent(QHideEvent* event)
{
    QwtPlot::hideEvent(event);
    stopTicking();
}

void ChartRecorder::showEvent(QShowEvent* event)
{
    QwtPlot::showEvent(event);
    catchUp();
    if (!m_resting)
        startTicking();
    if (m_stale) {
        m_stale = false;
        drawTick();
    }
}

void ChartRecorder::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId) {
        QwtPlot::timerEvent(event);
        return;
    }
    m_lastTickMs = nowMs();
    advance();
}

bool ChartRecorder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == canvas() && event->type() == QEvent::MouseButtonPress) {
        emit plotTouched();
        return true;
    }
    return QwtPlot::eventFilter(watched, event);
}

void ChartRecorder::legendChecked(const QVariant& itemInfo, bool on)
{
    if (QwtPlotItem* item = infoToItem(itemInfo))
        showCurve(item, on);
}

void ChartRecorder::showCurve(QwtPlotItem* item, bool on)
{
    item->setVisible(on);
    ++m_generation;
    replot();
}

void ChartRecorder::toggleChartLine(ChartRecorder::RadioData curveId)
{
    if (curveId < 0 || curveId >= kChannels)
        return;
    m_curves[curveId]->setVisible(!m_curves[curveId]->isVisible());
    m_stale = true; // drawn at the next tick, even on a chart at rest
    wake();
}

void ChartRecorder::setPlotDuration(int periodMs)
{
    if (periodMs <= 0)
        return;
    if (!m_timerId) {
        catchUp(); // the ticks due at the old period
        m_periodMs = periodMs;
        return;
    }
    m_periodMs = periodMs;
    m_lastTickMs = nowMs();
    startTicking();
}

void ChartRecorder::IndicateCorrosiveDetected()
{
    emit targetMessage(QStringLiteral("Corrosive"));
}

void ChartRecorder::IndicateSemiconductorDetected()
{
    emit targetMessage(QStringLiteral("Semiconductor"));
}
