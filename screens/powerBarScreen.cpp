#include "screens/powerBarScreen.h"

#include "bus/quarnBus.h"
#include "screens/harmonicsAnalyzer.h"
#include "screens/powerBar.h"
#include "screens/touchFeedback.h"
#include "screens/volumeButtons.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/userSettingsService.h"
#include "shell/hapticPushButton.h"
#include "shell/hapticService.h"
#include "shell/middleMan.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
// Offsets from the bar's left edge and rows of the pieces; a full bar is 166 pixels.
constexpr int kScaleDx = 33;
constexpr int kStripDx = 10;
constexpr int kAutoPowerDx = 38;
constexpr int kTouchRightDx = 47;
constexpr int kTrackY = 25;
constexpr int kScaleY = 35;
constexpr int kBottomY = 203;
constexpr int kRuleBaseY = 201;
constexpr int kAutoPowerBaseY = 194;
// Rows of the figures 100, 50 and 0 in the scale picture (resources/tools/make_icons.py):
// the automatic-power badge beside the marker steps clear of them.
constexpr int kScaleFigureRows[][2] = {{2, 9}, {82, 89}, {165, 172}};
constexpr int kAutoPowerSize = 19;
} // namespace

const char* PowerBarScreen::imageFile(Image picture)
{
    static const char* const files[eImageCount] = {
        "sliderbar.png",     "power_scale.png",    "power_bar_bottom.png", "power_bar_fill.png",
        "power_bar_top.png", "threshold_rule.png", "auto_pwr.png"};
    return files[picture];
}

PowerBarScreen::PowerBarScreen(int barLeft, QWidget* parent) : QWidget(parent), m_left(barLeft)
{
    for (int i = 0; i < eImageCount; ++i)
        m_images[i] =
            QPixmap(QStringLiteral(":/:/images/images/") + QLatin1String(imageFile(Image(i))));

    connect(HarmonicsAnalyzer::Get(), &HarmonicsAnalyzer::HarmonicData, this,
            &PowerBarScreen::NewHarmonicData);
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &PowerBarScreen::onNewRawMsg);
    connect(MiddleMan::Get(), &MiddleMan::volumeBarDone, this, &PowerBarScreen::buttonChange);
    connect(this, &PowerBarScreen::startVolumeBar, MiddleMan::Get(),
            &MiddleMan::passVolumeBarStart);
}

PowerBarScreen::~PowerBarScreen() = default;

void PowerBarScreen::attachVolumeButtons(HapticPushButton* down, HapticPushButton* up)
{
    m_volume = new VolumeButtons(down, up, this);
    connect(m_volume, &VolumeButtons::volumeModeEntered, this, &PowerBarScreen::startVolumeBar);
    down->setVibrateModuloWhenAutoRepeat(TouchFeedback::kPulseEveryRepeats);
    up->setVibrateModuloWhenAutoRepeat(TouchFeedback::kPulseEveryRepeats);
}

bool PowerBarScreen::isVolumeMode() const
{
    return m_volume && m_volume->isVolumeMode();
}

void PowerBarScreen::NewHarmonicData(int txPower, int, int)
{
    // The bar's column alone: the page's plot and buttons would otherwise be painted again
    // with every result.
    const int height = PowerBar::Height(txPower);
    if (height == powerHeight)
        return;
    powerHeight = height;
    update(PowerBar::ColumnRect(m_left + kStripDx, kBottomY, m_images[ePowerBottom].size(),
                                m_images[ePowerFill].size(), m_images[ePowerTop].size()));
}

void PowerBarScreen::onNewRawMsg(QuarnBusMsg msg)
{
    // The head may have changed the levels the markers show.
    if (msg.type == eGetSystemDataMsgResp)
        update();
}

QVector<PowerBarScreen::Placement> PowerBarScreen::placements() const
{
    QVector<Placement> out;
    out.reserve(PowerBar::Height(PowerBar::kFullScaleTxPower) / 2 + 6);
    out.append({eSliderBar, m_left, kTrackY});
    out.append({ePowerScale, m_left + kScaleDx, kScaleY});
    if (powerHeight > 0)
        PowerBar::AppendBar(out, ePowerBottom, m_left + kStripDx, kBottomY, powerHeight);
    // As on the bar graph: no level marker before the head has reported its settings.
    if (!UserSettingsService::Get()->IsInitialSyncDone())
        return out;
    const int offset = PowerBar::LevelOffset(m_powerLevel.Get());
    out.append({ePowerRule, m_left, kRuleBaseY - offset});
    if (m_powerMode.Get() == 1)
        out.append({eAutoPower, m_left + kAutoPowerDx, autoPowerTop(kAutoPowerBaseY - offset)});
    return out;
}

int PowerBarScreen::autoPowerTop(int levelTop)
{
    for (const auto& rows : kScaleFigureRows) {
        const int top = kScaleY + rows[0] - 1;
        const int bottom = kScaleY + rows[1] + 1;
        if (levelTop + kAutoPowerSize <= top || levelTop >= bottom)
            continue;
        // To the nearer side of the figure.
        const bool above = levelTop + kAutoPowerSize / 2 < (top + bottom) / 2;
        return above ? top - kAutoPowerSize : bottom;
    }
    return levelTop;
}

void PowerBarScreen::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    PowerBar::Paint(painter, placements(), m_images, event->rect());
    if (!isVolumeMode())
        UpdateSettingsIcons();
}

PowerBarScreen::Touch PowerBarScreen::touchAt(const QPoint& pos) const
{
    if (pos.x() < 0 || pos.x() > m_left + kTouchRightDx || pos.y() < kTouchTop ||
        pos.y() > kTouchBottom)
        return Touch::None;
    return pos.y() < kTouchSplit ? Touch::PowerUp : Touch::PowerDown;
}

void PowerBarScreen::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const Touch touch = touchAt(event->pos());
    if (touch == Touch::None)
        return;
    HapticService::Get()->OneShotVibrateIfEnabled(TouchFeedback::kTouchPulseMs);
    if (touch == Touch::PowerUp && PowerLevelUserSetting().Get() == 0)
        aboutToRaiseFromZero();
    stepPowerLevel(touch);
}

void PowerBarScreen::stepPowerLevel(Touch touch)
{
    PowerLevelUserSetting power;
    if (touch == Touch::PowerUp)
        power.Increment();
    else if (touch == Touch::PowerDown)
        power.Decrement();
    // Results repaint only the bar they move, so the marker is repainted here.
    update();
}

void PowerBarScreen::on_btnVolumeDown_clicked()
{
    m_volume->downClicked();
}

void PowerBarScreen::on_btnVolumeUp_clicked()
{
    m_volume->upClicked();
}

void PowerBarScreen::UpdateSettingsIcons()
{
    if (m_volume)
        m_volume->showMuteState();
}

void PowerBarScreen::buttonChange()
{
    if (m_volume)
        m_volume->leaveVolumeMode();
}
