#include "screens/freqscan.h"

#include "bus/measurementMsgs.h"
#include "bus/systemDataMsgs.h"
#include "screens/traceColours.h"
#include "settings/regionUserSetting.h"

#include <qwt_column_symbol.h>
#include <qwt_picker_machine.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_marker.h>
#include <qwt_plot_multi_barchart.h>
#include <qwt_plot_picker.h>

#include <QMouseEvent>
#include <QTimer>

namespace {
constexpr quint32 kMHz = 1000000;
constexpr double kYMax = 255;
constexpr int kWindow = 6;    // bars of the quietest-window search
constexpr int kBarScale = 12; // bar height per level above the floor

QColor channelColour(FreqScan::HarmonicData harmonic)
{
    switch (harmonic) {
    case FreqScan::eRx2:
        return TraceColours::Harmonic2nd();
    case FreqScan::eRx3:
        return TraceColours::Harmonic3rd();
    case FreqScan::eTransmit:
        break;
    }
    return TraceColours::TxPower();
}
} // namespace

FreqScan::FreqScan(QWidget* parent) : QwtPlot(parent)
{
    setObjectName(QStringLiteral("FreqScan"));
    setMaximumSize(kMaxWidth, kMaxHeight);
    setAutoReplot(false);
    auto* canvas = new QwtPlotCanvas;
    canvas->setFrameStyle(QFrame::NoFrame);
    canvas->setBorderRadius(0);
    canvas->installEventFilter(this);
    setCanvas(canvas);
    setCanvasBackground(QColor(31, 31, 31));
    enableAxis(QwtPlot::xBottom, false);
    enableAxis(QwtPlot::yLeft, false);
    setAxisScale(QwtPlot::yLeft, 0, kYMax);

    m_chart = new QwtPlotMultiBarChart;
    m_chart->setStyle(QwtPlotMultiBarChart::Grouped);
    m_chart->setSpacing(0);
    m_chart->setMargin(0);
    // The x scale already spans the bars; the chart's own margin hint would squeeze the
    // canvas map to nothing.
    m_chart->setItemAttribute(QwtPlotItem::Margins, false);
    m_chart->attach(this);

    m_marker = new QwtPlotMarker;
    m_marker->setLineStyle(QwtPlotMarker::VLine);
    m_marker->setLinePen(Qt::blue, 2, Qt::DashLine);
    m_marker->setZ(m_chart->z() + 1);
    m_marker->setValue(0, kMarkerHeight);
    m_marker->setVisible(false); // until the head has told its band
    m_marker->attach(this);

    m_picker = new QwtPlotPicker(QwtPlot::xBottom, QwtPlot::yLeft, QwtPicker::NoRubberBand,
                                 QwtPicker::AlwaysOff, canvas);
    m_picker->setStateMachine(new QwtPickerClickPointMachine);
    connect(m_picker, qOverload<const QPointF&>(&QwtPlotPicker::selected), this,
            &FreqScan::onSelected);

    setHarmonic(eTransmit);
    // No bars until the head reports levels: stubs of height 1, as a channel without data
    // gets beside one with data, would read as a band measured quiet.
    setBars({});
}

FreqScan::~FreqScan() = default;

void FreqScan::setHarmonic(HarmonicData harmonic)
{
    m_harmonic = harmonic;
    auto* symbol = new QwtColumnSymbol(QwtColumnSymbol::Box);
    symbol->setLineWidth(3);
    symbol->setFrameStyle(QwtColumnSymbol::NoFrame);
    symbol->setPalette(QPalette(channelColour(harmonic)));
    m_chart->setSymbol(0, symbol);
}

double FreqScan::markerX() const
{
    return m_marker->xValue();
}

bool FreqScan::isMarkerShown() const
{
    return m_marker->isVisible();
}

int FreqScan::markerWidth() const
{
    return int(m_marker->linePen().widthF());
}

void FreqScan::setBars(const QVector<double>& heights)
{
    bins = heights;
    QVector<QwtSetSample> samples;
    samples.reserve(bins.size());
    for (int i = 0; i < bins.size(); ++i)
        samples.append(QwtSetSample(i, QVector<double>{bins.at(i)}));
    m_chart->setSamples(samples);
    // Bar i centred on x = i, so that a touch maps to a bar by rounding.
    setAxisScale(QwtPlot::xBottom, -0.5, qMax(1, bins.size()) - 0.5);
}

void FreqScan::setMarker(double x)
{
    m_marker->setXValue(x);
}

int FreqScan::barOf(quint32 hz) const
{
    // Signed: a frequency below the base lies left of bar 0, not far to the right.
    return int((qint64(hz) - qint64(baseMHz) * kMHz) / kMHz);
}

void FreqScan::onNewRawMsg(QuarnBusMsg msg)
{
    switch (msg.type) {
    case eGetFreqRangeMsgResp:
        takeRange(msg);
        break;
    case eGetZoneMsgResp:
        if (msg.param == RegionUserSetting().Get())
            takeZone(msg);
        break;
    case eGetFreqValueMsgResp:
        takeFrequency(msg);
        break;
    case eGetSystemDataMsgResp:
        takeSystemData(msg);
        break;
    case eQuarnGetAmbientResponseMsg:
        takeAmbient(msg);
        break;
    default:
        break;
    }
}

void FreqScan::takeLimits(quint32 lowerHz, quint32 upperHz, quint16 base, quint8 steps)
{
    if (steps != binCount || base != baseMHz) {
        baseMHz = base;
        binCount = steps;
        emit newFreqRange(base, steps);
    }
    minFreq = lowerHz;
    maxFreq = upperHz;
    minPos = int(minFreq / kMHz) - base;
    maxPos = int(maxFreq / kMHz) - base;
    m_marker->setVisible(true);
}

void FreqScan::fallBackToLowerLimit()
{
    emit setMarkerPosition(minPos);
    emit setFreqValue(minFreq);
    currentFreq = minFreq;
    setMarker(minPos);
    replotSoon();
}

void FreqScan::showCurrentFrequency(bool announceFrequency)
{
    const int position = barOf(currentFreq);
    emit setMarkerPosition(position);
    if (announceFrequency)
        emit setFreqValue(currentFreq);
    setMarker(position);
    replotSoon();
}

void FreqScan::takeRange(const QuarnBusMsg& msg)
{
    const GetFreqRangeMsgResp range(msg);
    takeLimits(range.lowerHz(), range.upperHz(), range.baseMHz(), range.steps());
    if (currentFreq < minFreq || currentFreq > maxFreq || stepFreq == 0)
        fallBackToLowerLimit();
    else if (baseMHz != 0)
        showCurrentFrequency(true);
}

QColor FreqScan::markerColor() const
{
    return m_marker->linePen().color();
}

void FreqScan::setMarkerColor(const QColor& color)
{
    QPen pen = m_marker->linePen();
    pen.setColor(color);
    m_marker->setLinePen(pen);
    replot();
}

void FreqScan::takeZone(const QuarnBusMsg& msg)
{
    const GetZoneMsgResp zone(msg);
    const quint8 steps = zone.steps();
    takeLimits(zone.lowerHz(), zone.upperHz(), zone.baseMHz(), steps);
    stepFreq = zone.stepHz();
    locked = minFreq == maxFreq;
    // About one bar wide; a zone without steps (a faulty record) gets the narrow marker
    // rather than a division by zero.
    int width = 2;
    if (!zone.isNarrow() && steps != 0)
        width = qMax(2, int((this->width() + 1) * 1.2 / steps));
    QPen pen = m_marker->linePen();
    pen.setWidth(width);
    m_marker->setLinePen(pen);
    if (currentFreq < minFreq || currentFreq > maxFreq || baseMHz == 0)
        fallBackToLowerLimit();
    else
        showCurrentFrequency(true);
}

void FreqScan::takeFrequency(const QuarnBusMsg& msg)
{
    const quint32 hz = GetFreqValueMsgResp(msg).frequencyHz();
    if (hz == currentFreq || baseMHz == 0)
        return;
    currentFreq = hz;
    showCurrentFrequency(false);
}

void FreqScan::takeSystemData(const QuarnBusMsg& msg)
{
    const GetSystemDataMsgResp block(msg);
    const bool headScanning =
        block.hasOperatingMode() && block.operatingMode() == kHeadAutoScanning;
    if (autoScanRunning && !headScanning) {
        autoScanRunning = false;
        emit finishAutoScan();
        // The block's frequency predates the frequency the finished scan just chose.
        return;
    }
    const quint32 hz = block.frequencyHz();
    if (currentFreq == 0) {
        currentFreq = hz;
        return;
    }
    // While the head scans, its frequency is not followed.
    if (hz == currentFreq || headScanning || baseMHz == 0)
        return;
    currentFreq = hz;
    showCurrentFrequency(false);
}

void FreqScan::takeAmbient(const QuarnBusMsg& msg)
{
    const QuarnGetAmbientResponseMsg ambient(msg);
    const int levelCount = ambient.levelCount();
    if (ambient.channel() != m_harmonic) {
        // Another channel's data: keep the bar count in step with it.
        const int bars = ambient.hasHeader() ? levelCount + 1 : 0;
        if (bins.size() != bars) {
            setBars(QVector<double>(bars, 1.0));
            replotSoon();
        }
        return;
    }
    const auto level = [&ambient](int i) { return int(ambient.level(i)); };
    int floor = 255;
    for (int i = 0; i < levelCount; ++i)
        floor = qMin(floor, level(i));

    // The quietest six bars: the window with the smallest maximum, the later on a tie.
    int best = 255;
    int quietest = 0;
    for (int k = 0; k < levelCount - kWindow; ++k) {
        int loudest = 0;
        for (int i = k; i < k + kWindow; ++i)
            loudest = qMax(loudest, level(i));
        if (loudest <= best) {
            best = loudest;
            quietest = k + kWindow / 2; // the window's middle
        }
    }

    QVector<double> heights;
    if (ambient.hasHeader()) {
        heights.reserve(levelCount + 1);
        for (int i = 0; i < levelCount; ++i)
            heights.append((level(i) - floor) * kBarScale);
        heights.append(1);
    }
    setBars(heights);
    if (ambient.mode() == kAmbientAutoMode && autoScanRunning)
        setMarker(quietest);
    replotSoon();
    autoScanRunning = true;
}

void FreqScan::replotSoon()
{
    // A plot on screen follows each record at once, since a tap maps through its axes.
    if (isVisible()) {
        replot();
        return;
    }
    if (replotDue)
        return;
    replotDue = true;
    QTimer::singleShot(0, this, [this] {
        replotDue = false;
        replot();
    });
}

void FreqScan::selectAt(double x)
{
    const int position = qBound(0, qRound(x), qMax(0, binCount - 1));
    emit setMarkerPosition(position);
    emit setFreqValue((baseMHz + quint32(position)) * kMHz);
    setMarker(position);
    replot();
}

void FreqScan::onSelected(const QPointF& pos)
{
    if (locked)
        return;
    selectAt(pos.x());
}

bool FreqScan::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == canvas() && event->type() == QEvent::MouseMove && !locked) {
        if (markerMovedExternally) {
            markerMovedExternally = false;
            return false;
        }
        const auto* move = static_cast<QMouseEvent*>(event);
        selectAt(invTransform(QwtPlot::xBottom, move->pos().x()));
        return true;
    }
    return QwtPlot::eventFilter(watched, event);
}

void FreqScan::moveMarkerPosition(int position)
{
    markerMovedExternally = true;
    setMarker(position);
    replotSoon();
}
