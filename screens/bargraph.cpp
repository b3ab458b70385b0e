#include "screens/bargraph.h"

#include "bus/quarnBus.h"
#include "screens/harmonicsAnalyzer.h"
#include "screens/powerBar.h"
#include "screens/touchFeedback.h"
#include "screens/volumeButtons.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/userSettingsService.h"
#include "shell/hapticService.h"
#include "shell/middleMan.h"
#include "ui_bargraph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

namespace {
QPixmap image(const char* name)
{
    return QPixmap(QStringLiteral(":/:/images/images/") + QLatin1String(name));
}

constexpr int kBarBottomY = 208;
constexpr int kPowerBarX = 40;
constexpr int kRx2BarX = 120;
constexpr int kRx3BarX = 180;
} // namespace

const char* Bargraph::imageFile(Image picture)
{
    static const char* const files[eImageCount] = {
        "sliderbar.png",      "power_scale.png",    "threshold_scale",    "power_bar_bottom.png",
        "power_bar_fill.png", "power_bar_top.png",  "rx2_bar_bottom.png", "rx2_bar_fill.png",
        "rx2_bar_top.png",    "rx3_bar_bottom.png", "rx3_bar_fill.png",   "rx3_bar_top.png",
        "threshold_rule.png", "auto_pwr.png",       "threshold_btn_rule2"};
    return files[picture];
}

Bargraph::Bargraph(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::Bargraph>())
{
    ui->setupUi(this);
    m_volume = new VolumeButtons(ui->btnVolDown, ui->btnVolUp, this);
    connect(m_volume, &VolumeButtons::volumeModeEntered, this, &Bargraph::startVolumeBar);
    ui->btnVolDown->setVibrateModuloWhenAutoRepeat(TouchFeedback::kPulseEveryRepeats);
    ui->btnVolUp->setVibrateModuloWhenAutoRepeat(TouchFeedback::kPulseEveryRepeats);

    for (int i = 0; i < eImageCount; ++i)
        m_images[i] = image(imageFile(Image(i)));

    connect(HarmonicsAnalyzer::Get(), &HarmonicsAnalyzer::HarmonicData, this,
            &Bargraph::NewHarmonicData);
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &Bargraph::onNewRawMsg);
    connect(MiddleMan::Get(), &MiddleMan::volumeBarDone, this, &Bargraph::buttonChange);
    connect(this, &Bargraph::startVolumeBar, MiddleMan::Get(), &MiddleMan::passVolumeBarStart);
}

Bargraph::~Bargraph() = default;

bool Bargraph::isVolumeMode() const
{
    return m_volume->isVolumeMode();
}

void Bargraph::NewHarmonicData(int txPower, int harm2nd, int harm3rd)
{
    const int rx2 = qMin(harm2nd, kRxFullScale) * kFullBar / kRxFullScale;
    const int rx3 = qMin(harm3rd, kRxFullScale) * kFullBar / kRxFullScale;
    const int power = PowerBar::Height(txPower);
    // Only the bars that changed are repainted: the buttons below them, with their
    // rounded borders, cost more to paint than the bars, and a result comes many times
    // a second. The receiver bars appear and vanish with the transmitter.
    const bool switched = (power > 0) != (powerHeight > 0);
    QRegion changed;
    if (power != powerHeight)
        changed += barColumn(ePowerBottom, kPowerBarX);
    if (rx2 != rx2Height || switched)
        changed += barColumn(eRx2Bottom, kRx2BarX);
    if (rx3 != rx3Height || switched)
        changed += barColumn(eRx3Bottom, kRx3BarX);
    rx2Height = rx2;
    rx3Height = rx3;
    powerHeight = power;
    if (!changed.isEmpty())
        update(changed);
}

QRect Bargraph::barColumn(Image bottom, int x) const
{
    return PowerBar::ColumnRect(x, kBarBottomY, m_images[bottom].size(),
                                m_images[bottom + 1].size(), m_images[bottom + 2].size());
}

void Bargraph::onNewRawMsg(QuarnBusMsg msg)
{
    // The head may have changed the levels the markers show.
    if (msg.type == eGetSystemDataMsgResp)
        update();
}

QVector<Bargraph::Placement> Bargraph::placements() const
{
    QVector<Placement> out;
    out.reserve(3 * (kFullBar / 2 + 2) + 8);
    out.append({eSliderBar, 30, 30});
    out.append({eSliderBar, 110, 30});
    out.append({eSliderBar, 170, 30});
    out.append({ePowerScale, 63, 40});

    // With the transmitter off no part of any bar is drawn.
    if (powerHeight > 0) {
        PowerBar::AppendBar(out, ePowerBottom, kPowerBarX, kBarBottomY, powerHeight);
        PowerBar::AppendBar(out, eRx2Bottom, kRx2BarX, kBarBottomY, rx2Height);
        PowerBar::AppendBar(out, eRx3Bottom, kRx3BarX, kBarBottomY, rx3Height);
    }

    out.append({eThresholdScale, 143, 124});
    // The levels are the head's: until it has reported its settings, a marker at the
    // store's value would read as the level the head transmits at.
    if (!UserSettingsService::Get()->IsInitialSyncDone())
        return out;
    const int powerLevel = m_powerLevel.Get();
    out.append({ePowerRule, 30, 206 - PowerBar::LevelOffset(powerLevel)});
    if (m_powerMode.Get() == 1)
        out.append({eAutoPower, 10, 199 - PowerBar::LevelOffset(powerLevel)});
    out.append({eTripRule, 110, 202 - PowerBar::LevelOffset(m_tripLevel.Get())});
    return out;
}

void Bargraph::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    PowerBar::Paint(painter, placements(), m_images, event->rect());
    if (!m_volume->isVolumeMode())
        UpdateSettingsIcons();
}

void Bargraph::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    const int x = event->pos().x();
    const int y = event->pos().y();
    if (y < 30 || y > 225)
        return;

    if (x >= 10 && x <= 87) {
        HapticService::Get()->OneShotVibrateIfEnabled(TouchFeedback::kTouchPulseMs);
        PowerLevelUserSetting power;
        if (y <= 122)
            power.Increment();
        else
            power.Decrement();
    } else if (x >= 90 && x <= 227) {
        HapticService::Get()->OneShotVibrateIfEnabled(TouchFeedback::kTouchPulseMs);
        TripLevelUserSetting trip;
        if (y <= 164)
            trip.Increment();
        else
            trip.Decrement();
    } else {
        return;
    }
    // Results repaint only the bars they move, so the marker is repainted here.
    update();
}

void Bargraph::on_btnHome_clicked()
{
    emit homeSelected();
}

void Bargraph::on_btnVolDown_clicked()
{
    m_volume->downClicked();
}

void Bargraph::on_btnVolUp_clicked()
{
    m_volume->upClicked();
}

void Bargraph::UpdateSettingsIcons()
{
    m_volume->showMuteState();
}

void Bargraph::buttonChange()
{
    m_volume->leaveVolumeMode();
}
