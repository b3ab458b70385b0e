#pragma once

#include "bus/quarnBusMsg.h"
#include "screens/powerBar.h"
#include "settings/cachedSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"

#include <QPixmap>
#include <QVector>
#include <QWidget>

class HapticPushButton;
class VolumeButtons;

// Base of the chart and spectral pages: the transmit-power bar left of their plots with its
// two touch areas (power level up and down), and the mute/volume button pair. The two
// pages differ only in the bar's left edge.
class PowerBarScreen : public QWidget
{
    Q_OBJECT
public:
    enum Image
    {
        eSliderBar,
        ePowerScale,
        ePowerBottom,
        ePowerFill,
        ePowerTop,
        ePowerRule,
        eAutoPower,
        eImageCount
    };
    using Placement = PowerBar::Placement<Image>;
    enum class Touch
    {
        None,
        PowerUp,
        PowerDown
    };

    // Touch areas of the bar, in page pixels.
    static constexpr int kTouchTop = 25;
    static constexpr int kTouchSplit = 118; // first row of the power-down area
    static constexpr int kTouchBottom = 220;

    PowerBarScreen(int barLeft, QWidget* parent);
    ~PowerBarScreen() override;

    // Everything the bar paints, in painting order, for the settings as they are stored.
    QVector<Placement> placements() const;
    // The picture's resource name under ":/:/images/images/".
    static const char* imageFile(Image picture);
    Touch touchAt(const QPoint& pos) const;

    int powerBarHeight() const { return powerHeight; }
    bool isVolumeMode() const;

signals:
    void homeSelected();
    void startVolumeBar();

public slots:
    void NewHarmonicData(int txPower, int harm2nd, int harm3rd);
    virtual void onNewRawMsg(QuarnBusMsg msg);
    void on_btnVolumeDown_clicked();
    void on_btnVolumeUp_clicked();
    void UpdateSettingsIcons();
    void buttonChange();

protected:
    // Call once the form is set up: the pair at the foot of the page.
    void attachVolumeButtons(HapticPushButton* down, HapticPushButton* up);
    // Power level one up or down; an idle bar shows the new marker at once.
    void stepPowerLevel(Touch touch);
    // A touch in the power-up area while the level is 0, before the level is raised.
    virtual void aboutToRaiseFromZero() {}

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

    int powerHeight = 0;

private:
    // Where the automatic-power badge goes for the marker's row: beside it, clear of the
    // scale's figures.
    static int autoPowerTop(int levelTop);

    int m_left;
    VolumeButtons* m_volume = nullptr; // holds the volume mode
    // Read by every paint, a result's among them.
    mutable CachedSetting<PowerLevelUserSetting> m_powerLevel;
    mutable CachedSetting<TxPowerModeUserSetting> m_powerMode;
    QPixmap m_images[eImageCount];
};
