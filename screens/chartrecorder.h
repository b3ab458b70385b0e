#pragma once

#include "screens/chartTraces.h"

#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <QElapsedTimer>
#include <QPointF>

class ArraySeries;
class QwtPlotMarker;

// A curve of the chart; the type alone tells the chart's curves from other plot items.
class CpuCurve : public QwtPlotCurve
{
public:
    explicit CpuCurve(const QString& title) : QwtPlotCurve(title)
    {
        setRenderHint(QwtPlotItem::RenderAntialiased);
    }

protected:
    // The chart's trace layer strokes the curve with its pen, into the chart's image.
    void drawSeries(QPainter*, const QwtScaleMap&, const QwtScaleMap&, const QRectF&, int,
                    int) const override
    {}
};

// Strip chart of the latest readings: samples them on a fixed tick into a 300-sample
// history per trace (newest at the left edge), draws the traces over a banded background
// and marks the highest harmonic sample in the window.
class ChartRecorder : public QwtPlot, public ChartTraces
{
    Q_OBJECT
public:
    static constexpr int kChannels = 4; // the three traces and the unused "Trip" curve
    static constexpr int kTripChannel = 3;
    static constexpr int kHistory = 300;
    static constexpr int kStartPeriodMs = 65;
    static constexpr int kRxFullScale = 239;

    explicit ChartRecorder(QWidget* parent = nullptr);
    ~ChartRecorder() override;

    int count() const { return m_count; }
    // Sample i (0 = newest) of a channel, in percent.
    double sample(int channel, int i) const { return samples[channel][i]; }
    double sampleTime(int i) const { return sampleTimes[i]; }
    QPointF markerPosition() const;
    bool isCurveVisible(int channel) const;
    int tickPeriod() const { return m_periodMs; }
    bool isTicking() const { return m_timerId != 0; }

    // One tick: shift the histories, take the pending readings, move the marker, replot.
    // Nothing before the first result: the plot stays empty.
    void advance();
    bool isMarkerShown() const;

signals:
    void homeSelected();
    void targetMessage(QString text);
    void plotTouched();

public slots:
    void legendChecked(const QVariant& itemInfo, bool on);
    void showCurve(QwtPlotItem* item, bool on);
    void NewHarmonicData(int txPower, int harm2nd, int harm3rd);
    void toggleChartLine(ChartRecorder::RadioData curveId);
    void setPlotDuration(int periodMs);
    void IndicateCorrosiveDetected();
    void IndicateSemiconductorDetected();

protected:
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Milliseconds on a steady clock; a test's recorder brings its own.
    virtual qint64 nowMs() const;
    // Makes the ticks that fell due while the timer was off.
    void catchUp();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TraceLayer;

    bool isUniform() const;
    void startTicking();
    void stopTicking();
    void wake();
    void drawTick();

    // Index 0 is the newest sample; the curves read these arrays directly.
    double samples[kChannels][kHistory] = {};
    double sampleTimes[kHistory];
    int m_count = 0;
    int peak2nd = 0;
    int peak3rd = 0;
    int lastPower = 0;
    bool m_hasResult = false;
    bool m_stale = false; // the picture lags the history (hidden, a trace toggled): draw

    CpuCurve* m_curves[kChannels] = {};
    ArraySeries* m_series[kChannels] = {};
    QwtPlotMarker* m_marker = nullptr;
    TraceLayer* m_traces = nullptr;
    QRect m_markerDrawn;      // in canvas pixels
    quint64 m_generation = 0; // of what the traces show: data and visibility
    int m_timerId = 0;        // running while shown and not at rest
    bool m_resting = true;    // nothing recorded yet, or a history one value throughout
    QElapsedTimer m_clock;
    qint64 m_lastTickMs = 0;
    int m_periodMs = kStartPeriodMs;
};
