#pragma once

#include "screens/powerBarScreen.h"

#include <QByteArray>

#include <memory>

namespace Ui {
class SpectralAnalysis;
}
class QTimer;
class SpectrumCalculator;

// The spectrum page: asks the radio for the correlated samples of both harmonic receivers
// in a fixed cycle and draws their spectra, overlaid in one plot or side by side, beside
// the transmit-power bar and above the mute/volume pair.
class SpectralAnalysis : public PowerBarScreen
{
    Q_OBJECT
public:
    static constexpr int kBarLeft = 3;
    static constexpr int kResponsesPerBlock = 16;
    static constexpr int kEntryDelayMs = 100;
    static constexpr int kFirstCycleMs = 2000;
    static constexpr int kCycleMs = 500;

    explicit SpectralAnalysis(QWidget* parent = nullptr);
    ~SpectralAnalysis() override;

    bool isSplitView() const { return splitView; }
    bool isAcquiring() const;
    int acquisitionInterval() const;
    const SpectrumCalculator& spectra() const { return *m_calculator; }
    // Points the two curves hold (512 after a processed cycle, 0 while one is collected).
    int curvePoints2nd() const;
    int curvePoints3rd() const;

public slots:
    void startTimer();
    void on_pushButton_clicked();
    void onNewRawMsg(QuarnBusMsg msg) override;
    void startData();
    void on_btnHome_clicked();
    void on_btnRX2_clicked();
    void on_btnRX3_clicked();

protected:
    void aboutToRaiseFromZero() override;

private:
    void takeResponse(const QByteArray& piece);
    void processBlocks();

    struct Plots; // the plot library's objects, kept out of this header
    std::unique_ptr<Ui::SpectralAnalysis> ui;
    std::unique_ptr<Plots> m_plots;
    std::unique_ptr<SpectrumCalculator> m_calculator;
    QTimer* m_timer = nullptr;

    QByteArray buffer2nd;
    QByteArray buffer3rd;
    quint8 responseCount = 0;
    bool collecting3rd = false;
    bool splitView = false;
    bool firstRequest = true;
    int savedAudioMode = -1; // -1 until the page is entered
};
