#pragma once

#include "screens/chartTraces.h"
#include "screens/powerBarScreen.h"

#include <memory>

namespace Ui {
class ChartDisplay;
}
class ChartRecorder;

// The chart page: the strip chart of the readings beside the transmit-power bar, toggles
// for its traces, a touch on the plot to cycle the time span, and the mute/volume pair.
class ChartDisplay : public PowerBarScreen
{
    Q_OBJECT
public:
    static constexpr int kBarLeft = 5;

    explicit ChartDisplay(QWidget* parent = nullptr);
    ~ChartDisplay() override;

    ChartRecorder* recorder() const { return m_recorder; }
    QString plotTitle() const;

signals:
    void toggleCurve(ChartTraces::RadioData curveid);
    void newTime(int periodMs);

public slots:
    void on_btnHome_clicked();
    void do_btnPowerUp_clicked();
    void do_btnPowerDown_clicked();
    void on_btnRX2_clicked();
    void on_btnRX3_clicked();
    void on_btnPower_clicked();
    void changeTimeDuration();
    void doPlotTouchAction();

private:
    std::unique_ptr<Ui::ChartDisplay> ui;
    ChartRecorder* m_recorder = nullptr;
};
