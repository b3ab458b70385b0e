#pragma once

#include "bus/quarnBusMsg.h"

#include <qwt_plot.h>

#include <QColor>
#include <QVector>

#include <sys/types.h>

class QwtPlotMarker;
class QwtPlotMultiBarChart;
class QwtPlotPicker;

// One channel's ambient levels over the band as bars, with the transmit frequency marker.
// It follows the head's range, zone, frequency, system data and ambient messages, and lets
// the operator pick a frequency by touching or dragging.
class FreqScan : public QwtPlot
{
    Q_OBJECT
    // The frequency marker's colour, set by the style sheet.
    Q_PROPERTY(QColor markerColor READ markerColor WRITE setMarkerColor)
public:
    enum HarmonicData
    {
        eTransmit = 0,
        eRx2 = 1,
        eRx3 = 2,
    };
    static constexpr int kMaxWidth = 195;
    static constexpr int kMaxHeight = 45;
    static constexpr double kMarkerHeight = 30;
    static constexpr quint8 kHeadAutoScanning = 6; // the head's operating mode while it scans
    static constexpr quint8 kAmbientAutoMode = 1;  // ambient data: the marker follows

    explicit FreqScan(QWidget* parent = nullptr);

    QColor markerColor() const;
    void setMarkerColor(const QColor& color);
    ~FreqScan() override;

    void setHarmonic(HarmonicData harmonic);
    HarmonicData harmonic() const { return m_harmonic; }

    int barCount() const { return bins.size(); }
    double barHeight(int i) const { return bins.value(i); }
    quint16 baseMHzValue() const { return baseMHz; }
    quint8 binCountValue() const { return binCount; }
    quint32 minimumFreq() const { return minFreq; }
    quint32 maximumFreq() const { return maxFreq; }
    quint32 frequencyStep() const { return stepFreq; }
    int minimumPos() const { return minPos; }
    int maximumPos() const { return maxPos; }
    quint32 currentFrequency() const { return currentFreq; }
    void setCurrentFrequency(quint32 hz) { currentFreq = hz; }
    bool isAutoScanRunning() const { return autoScanRunning; }
    bool isLocked() const { return locked; }
    double markerX() const;
    bool isMarkerShown() const;
    int markerWidth() const;

signals:
    void setMarkerPosition(int position);
    void setFreqValue(u_int32_t hz);
    void setFrequencyStep();
    void finishAutoScan();
    void newFreqRange(u_int16_t baseMHz, u_int8_t steps);

public slots:
    void onSelected(const QPointF& pos);
    void moveMarkerPosition(int position);
    void onNewRawMsg(QuarnBusMsg msg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Range and zone records share the limits; only where base and steps sit differs.
    void takeLimits(quint32 lowerHz, quint32 upperHz, quint16 base, quint8 steps);
    void takeRange(const QuarnBusMsg& msg);
    void takeZone(const QuarnBusMsg& msg);
    void takeFrequency(const QuarnBusMsg& msg);
    void takeSystemData(const QuarnBusMsg& msg);
    void takeAmbient(const QuarnBusMsg& msg);
    // Marker and frequency to the lower limit, announced.
    void fallBackToLowerLimit();
    // Marker to the bar of the current frequency; announced with or without the frequency.
    void showCurrentFrequency(bool announceFrequency);
    int barOf(quint32 hz) const;
    void selectAt(double x);
    void setBars(const QVector<double>& heights);
    void setMarker(double x);
    // Hidden, replots at the next turn of the event loop, once for any number of records:
    // a replot measures the axes anew, and the head can send records faster than it pays.
    void replotSoon();

    HarmonicData m_harmonic = eTransmit;
    QVector<double> bins;
    quint16 baseMHz = 0;
    quint8 binCount = 0;
    quint32 minFreq = 840000000u;
    quint32 maxFreq = 2472000000u;
    quint32 stepFreq = 1000000u;
    int minPos = 0;
    int maxPos = 1635;
    quint32 currentFreq = 0;
    bool autoScanRunning = false;
    bool markerMovedExternally = false;
    bool locked = false;
    bool replotDue = false;

    QwtPlotMultiBarChart* m_chart = nullptr;
    QwtPlotMarker* m_marker = nullptr;
    QwtPlotPicker* m_picker = nullptr;
};
