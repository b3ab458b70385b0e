#include "screens/chartrecorder.h"

#include "screens/arraySeries.h"
#include "screens/traceColours.h"

#include <qwt_plot_canvas.h>
#include <qwt_plot_layout.h>
#include <qwt_plot_marker.h>
#include <qwt_scale_draw.h>
#include <qwt_symbol.h>

#include <QEvent>
#include <QPainter>
#include <QTimerEvent>

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
class Background : public QwtPlotItem
{
public:
    Background() { setZ(0.0); }

    int rtti() const override { return QwtPlotItem::Rtti_PlotUserItem; }

    void draw(QPainter* painter, const QwtScaleMap&, const QwtScaleMap& yMap,
              const QRectF& canvasRect) const override
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
};

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
    auto* canvas = new QwtPlotCanvas;
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

    (new Background)->attach(this);

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

    m_timerId = startTimer(kStartPeriodMs);
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
    m_hasResult = true;
    lastPower = txPower * 5;
    peak2nd = qMax(peak2nd, qMin(harm2nd, kRxFullScale) * 100 / kRxFullScale);
    peak3rd = qMax(peak3rd, qMin(harm3rd, kRxFullScale) * 100 / kRxFullScale);
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
    setAxisScale(QwtPlot::xBottom, sampleTimes[0], sampleTimes[kHistory - 1]);
    for (ArraySeries* series : m_series)
        series->setSize(m_count);
    m_marker->setValue(sampleTimes[maxAt], samples[maxChannel][maxAt]);
    m_marker->setVisible(true);
    replot();
}

void ChartRecorder::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timerId)
        advance();
    else
        QwtPlot::timerEvent(event);
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
    replot();
}

void ChartRecorder::toggleChartLine(ChartRecorder::RadioData curveId)
{
    if (curveId < 0 || curveId >= kChannels)
        return;
    m_curves[curveId]->setVisible(!m_curves[curveId]->isVisible());
}

void ChartRecorder::setPlotDuration(int periodMs)
{
    if (m_timerId)
        killTimer(m_timerId);
    m_periodMs = periodMs;
    m_timerId = startTimer(periodMs);
}

void ChartRecorder::IndicateCorrosiveDetected()
{
    emit targetMessage(QStringLiteral("Corrosive"));
}

void ChartRecorder::IndicateSemiconductorDetected()
{
    emit targetMessage(QStringLiteral("Semiconductor"));
}
