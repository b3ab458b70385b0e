#pragma once

#include "bus/quarnBusMsg.h"
#include "screens/headType.h"

#include <QWidget>

#include <memory>
#include <sys/types.h>

namespace Ui {
class FrequencyHistogram;
}
class FreqScan;
class QAbstractButton;

// The frequency-scan page: the ambient levels of the transmit channel and of both harmonic
// receivers as three bar plots, and the choice of the transmit frequency, automatic (the
// quietest bar of all three) or by touch, drag and arrow buttons. Where the zone allows a
// single frequency it is locked.
class FrequencyHistogram : public QWidget
{
    Q_OBJECT
public:
    // Operating modes sent to the head.
    static constexpr quint8 kAutoScanMode = 6;
    static constexpr quint8 kTransmitScanMode = 7;
    static constexpr quint8 kRx2ScanMode = 8;
    static constexpr quint8 kRx3ScanMode = 9;
    static constexpr quint8 kSearchMode = 255;
    // The auto scan takes the quietest bar whose summed heights stay below this.
    static constexpr double kAutoScanLimit = 1000;

    explicit FrequencyHistogram(QWidget* parent = nullptr);
    ~FrequencyHistogram() override;

    // 0 transmit, 1 RX2, 2 RX3.
    FreqScan* plot(int harmonic) const { return m_plots[harmonic]; }
    int markerPosition() const { return markerPos; }
    bool isAutoFrequency() const { return autoFrequency; }
    bool isAutoScanRequested() const { return autoScanRequested; }
    quint16 rangeBase() const { return rangeBaseMHz; }
    quint8 rangeSteps() const { return rangeBinCount; }
    // The bar the auto scan picks from the plots as they are.
    int quietestBar() const;

signals:
    void homeSelected();
    void autoMarkerPosition(int position);

public slots:
    void onNewRawMsg(QuarnBusMsg msg);
    void on_btnHome_clicked();
    void on_btnRx3_clicked();
    void on_btnRx2_clicked();
    void on_btnTx1_clicked();
    void updateFreqText2(u_int32_t hz);
    void on_btnRight_clicked();
    void on_btnLeft_clicked();
    void do_AutoScan_complete();
    void initializeFrequencyValue();
    void on_btnAutoScan_clicked();
    void manualChangeDetected(int position);
    void setHeadType(eHeadTypeIdT type);
    void setNewFreqRange(u_int16_t baseMHz, u_int8_t steps);

private:
    // Checks one channel button (or all with nullptr) and labels the range at the harmonic.
    void showChannel(QAbstractButton* button, int harmonic);
    void stepFrequency(qint64 step);

    std::unique_ptr<Ui::FrequencyHistogram> ui;
    FreqScan* m_plots[3] = {};
    quint16 rangeBaseMHz = 0;
    quint8 rangeBinCount = 0;
    int markerPos = 0;
    bool autoFrequency = true;
    bool autoScanRequested = false;
};
