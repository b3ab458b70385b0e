#pragma once

#include "bus/quarnBusMsg.h"
#include "screens/powerBar.h"
#include "settings/cachedSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"

#include <QPixmap>
#include <QVector>
#include <QWidget>

#include <memory>
#include <sys/types.h>

namespace Ui {
class Bargraph;
}
class VolumeButtons;

// The main live view: bars of transmit power, RX2 and RX3 with the power-level and
// trip-level markers; touching the bar areas steps power and trip level.
class Bargraph : public QWidget
{
    Q_OBJECT
public:
    // Pixel scale of the bars: a full bar is 166 pixels; RX readings of 239 fill it.
    static constexpr int kFullBar = 166;
    static constexpr int kRxFullScale = 239;

    explicit Bargraph(QWidget* parent = nullptr);
    ~Bargraph() override;

    enum Image
    {
        eSliderBar,
        ePowerScale,
        eThresholdScale,
        ePowerBottom,
        ePowerFill,
        ePowerTop,
        eRx2Bottom,
        eRx2Fill,
        eRx2Top,
        eRx3Bottom,
        eRx3Fill,
        eRx3Top,
        ePowerRule,
        eAutoPower,
        eTripRule,
        eImageCount
    };
    using Placement = PowerBar::Placement<Image>;
    // Everything the view paints, in painting order.
    QVector<Placement> placements() const;
    // The resource name of a picture (under ":/:/images/images/", or a bare alias).
    static const char* imageFile(Image picture);

    int rx2BarHeight() const { return rx2Height; }
    int rx3BarHeight() const { return rx3Height; }
    int powerBarHeight() const { return powerHeight; }
    bool isVolumeMode() const;

signals:
    void barMessage(u_int8_t dst, u_int8_t cmd, u_int8_t sub, QByteArray data);
    void homeSelected();
    void startVolumeBar();

public slots:
    void on_btnHome_clicked();
    void on_btnVolDown_clicked();
    void on_btnVolUp_clicked();
    void NewHarmonicData(int txPower, int harm2nd, int harm3rd);
    void onNewRawMsg(QuarnBusMsg msg);
    void UpdateSettingsIcons();
    void buttonChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect barColumn(Image bottom, int x) const;

    std::unique_ptr<Ui::Bargraph> ui;
    int rx2Height = 0;
    int rx3Height = 0;
    int powerHeight = 0;
    VolumeButtons* m_volume; // holds the volume mode
    // The markers' levels, read by every paint, a result's among them.
    mutable CachedSetting<PowerLevelUserSetting> m_powerLevel;
    mutable CachedSetting<TxPowerModeUserSetting> m_powerMode;
    mutable CachedSetting<TripLevelUserSetting> m_tripLevel;

    QPixmap m_images[eImageCount];
};
