#include "shell/iconStatusBar.h"

#include "board/board.h"
#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "screens/harmonicsAnalyzer.h"
#include "services/batteryStatusMonitor.h"
#include "services/metaScreenShotButton.h"
#include "services/timeService.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/userSettingsService.h"
#include "settings/volumeUserSetting.h"
#include "shell/middleMan.h"
#include "shell/panelDialogs.h"
#include "ui_iconStatusBar.h"

#include <QPainter>
#include <QPropertyAnimation>
#include <QSignalTransition>
#include <QState>
#include <QStateMachine>
#include <QStyleOption>
#include <QTimer>

namespace {
constexpr int kClockRefreshMs = 1500;
const char* kImages = ":/:/images/images/";

QString imagePath(const char* name)
{
    return QLatin1String(kImages) + QLatin1String(name);
}

// Battery icons by the lowest charge above which each is shown, highest first.
struct BatteryStep
{
    int above;
    const char* icon;
};
constexpr BatteryStep kBatterySteps[] = {
    {94, "battery_100.png"}, {81, "battery_88.png"}, {69, "battery_75.png"}, {56, "battery_63.png"},
    {44, "battery_50.png"},  {32, "battery_38.png"}, {21, "battery_25.png"}, {10, "battery_13.png"},
};
// Below this the empty battery is drawn on red.
constexpr int kCriticalPercent = 6;
} // namespace

IconStatusBar::IconStatusBar(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::IconStatusBar>())
{
    ui->setupUi(this);
    m_volumeBarRect = ui->volumeBar->geometry();
    VolumeValueChanged();
    ui->volumeBar->setGeometry(volumeBarStartRect());
    ui->volumeBar->hide();

    UpdateTime();
    auto* clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &IconStatusBar::UpdateTime);
    clock->start(kClockRefreshMs);
    connect(TimeService::Get(), &TimeService::TimeChanged, this, &IconStatusBar::UpdateTime);

    connect(BatteryStatusMonitor::Get(), &BatteryStatusMonitor::StatusChanged, this,
            &IconStatusBar::NewBatteryStatus);
    connect(BatteryStatusMonitor::Get(), &BatteryStatusMonitor::BatteryLow, this,
            &IconStatusBar::ShowLowBatteryNotice);
    NewBatteryStatus();

    UserSettingsService* settings = UserSettingsService::Get();
    connect(settings, &UserSettingsService::UserSettingsChanged, this,
            &IconStatusBar::UpdateSettingsIcons);
    UpdateSettingsIcons();
    connect(settings, &UserSettingsService::VolumeSettingChanged, this,
            &IconStatusBar::VolumeValueChanged);

    HarmonicsAnalyzer* analyzer = HarmonicsAnalyzer::Get();
    connect(analyzer, &HarmonicsAnalyzer::CorrosiveDetected, this,
            &IconStatusBar::IndicateCorrosiveDetected);
    connect(analyzer, &HarmonicsAnalyzer::SemiconductorDetected, this,
            &IconStatusBar::IndicateSemiconductorDetected);
    connect(analyzer, &HarmonicsAnalyzer::IndeterminateStateDetected, this,
            &IconStatusBar::IndicateIndeterminateStateDetected);
    connect(analyzer, &HarmonicsAnalyzer::EnteredFreqScanMode, this,
            &IconStatusBar::IndicateEnteredFreqScanMode);
    connect(analyzer, &HarmonicsAnalyzer::ExitedFreqScanMode, this,
            &IconStatusBar::IndicateIndeterminateStateDetected);

    HeadLink* link = QuarnBus::Get()->headLink();
    connect(link, &HeadLink::HeadSilent, this, &IconStatusBar::IndicateHeadSilent);
    connect(link, &HeadLink::HeadAnswering, this, &IconStatusBar::IndicateHeadAnswering);
    if (link->IsHeadSilent())
        IndicateHeadSilent();

    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setGeometry(m_volumeBarRect);
    m_messageLabel->setStyleSheet(QStringLiteral("background: none"));
    m_messageLabel->setFrameShape(QFrame::NoFrame);
    m_messageLabel->setAlignment(Qt::AlignCenter);
    m_messageLabel->setFont(ui->timeLabel->font());
    m_messageLabel->hide();
    buildFaces();
}

IconStatusBar::~IconStatusBar() = default;

QRect IconStatusBar::volumeBarStartRect() const
{
    QRect start = m_volumeBarRect;
    start.moveTop(kStripHeight);
    return start;
}

QState* IconStatusBar::addMessageFace(QState* root, const QString& message)
{
    auto* face = new QState(root);
    // The screenshot button stays: it is not assigned here.
    for (QWidget* widget :
         {static_cast<QWidget*>(ui->batteryLabel), static_cast<QWidget*>(ui->flashLightButton),
          static_cast<QWidget*>(ui->statusLabel), static_cast<QWidget*>(ui->timeLabel),
          static_cast<QWidget*>(ui->volumeBar)})
        face->assignProperty(widget, "visible", false);
    face->assignProperty(m_messageLabel, "visible", true);
    face->assignProperty(m_messageLabel, "text", message);
    return face;
}

void IconStatusBar::buildFaces()
{
    m_faceTimer = new QTimer(this);
    m_faceTimer->setObjectName(QStringLiteral("faceTimer"));
    m_faceTimer->setSingleShot(true);
    m_faceTimer->setInterval(kFaceMs);
    connect(m_faceTimer, &QTimer::timeout, MiddleMan::Get(), &MiddleMan::passIconBarStatus);

    MiddleMan* relay = MiddleMan::Get();
    UserSettingsService* settings = UserSettingsService::Get();
    MetaScreenShotButton* camera = ui->screenShotButton;
    const auto restartFaceTimer = [this] { m_faceTimer->start(); };
    connect(settings, &UserSettingsService::VolumeSettingChanged, this, restartFaceTimer);
    connect(relay, &MiddleMan::volumeBarStart, this, restartFaceTimer);
    connect(relay, &MiddleMan::volumeBarStart, this, &IconStatusBar::VolumeValueChanged);
    connect(camera, &MetaScreenShotButton::ScreenShotComplete, this, restartFaceTimer);
    connect(camera, &MetaScreenShotButton::ScreenShotFailed, this, restartFaceTimer);
    connect(settings, &UserSettingsService::SettingsCannotBeSaved, this, restartFaceTimer);

    m_faces = new QStateMachine(this);
    m_faces->setGlobalRestorePolicy(QState::RestoreProperties);
    auto* root = new QState(m_faces);
    m_faces->setInitialState(root);

    m_iconsFace = new QState(root);
    root->setInitialState(m_iconsFace);

    m_volumeFace = new QState(root);
    for (QWidget* widget :
         {static_cast<QWidget*>(camera), static_cast<QWidget*>(ui->timeLabel),
          static_cast<QWidget*>(ui->batteryLabel), static_cast<QWidget*>(ui->flashLightButton),
          static_cast<QWidget*>(ui->statusLabel)})
        m_volumeFace->assignProperty(widget, "visible", false);
    m_volumeFace->assignProperty(ui->volumeBar, "visible", true);

    m_savedFace = addMessageFace(root, tr("Save Complete"));
    m_saveFailedFace = addMessageFace(root, tr("Save Failed"));
    m_unsavedSettingsFace = addMessageFace(root, tr("Settings not saved"));
    // The longer notice takes the whole strip.
    m_unsavedSettingsFace->assignProperty(camera, "visible", false);

    auto* slideIn = new QPropertyAnimation(ui->volumeBar, "geometry", this);
    slideIn->setDuration(kSlideInMs);
    slideIn->setStartValue(volumeBarStartRect());
    slideIn->setEndValue(m_volumeBarRect);

    m_iconsFace->addTransition(relay, &MiddleMan::volumeBarStart, m_volumeFace)
        ->addAnimation(slideIn);
    m_volumeFace->addTransition(m_faceTimer, &QTimer::timeout, m_iconsFace);
    for (QState* face : {m_savedFace, m_saveFailedFace, m_unsavedSettingsFace}) {
        face->addTransition(m_faceTimer, &QTimer::timeout, m_iconsFace);
        face->addTransition(settings, &UserSettingsService::VolumeSettingChanged, m_volumeFace)
            ->addAnimation(slideIn);
        face->addTransition(relay, &MiddleMan::volumeBarStart, m_volumeFace)->addAnimation(slideIn);
    }
    root->addTransition(camera, &MetaScreenShotButton::ScreenShotComplete, m_savedFace);
    root->addTransition(camera, &MetaScreenShotButton::ScreenShotFailed, m_saveFailedFace);
    root->addTransition(settings, &UserSettingsService::SettingsCannotBeSaved,
                        m_unsavedSettingsFace);
    m_faces->start();
}

IconStatusBar::Face IconStatusBar::currentFace() const
{
    const QSet<QAbstractState*> active = m_faces->configuration();
    if (active.contains(m_iconsFace))
        return eIconsFace;
    if (active.contains(m_volumeFace))
        return eVolumeFace;
    if (active.contains(m_savedFace))
        return eSavedFace;
    if (active.contains(m_saveFailedFace))
        return eSaveFailedFace;
    if (active.contains(m_unsavedSettingsFace))
        return eUnsavedSettingsFace;
    return eNoFace;
}

void IconStatusBar::paintEvent(QPaintEvent*)
{
    // The style sheet's background is painted only through the style's widget primitive.
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}

QPixmap IconStatusBar::BatteryIcon(int percent, bool mainsConnected)
{
    if (mainsConnected)
        return QPixmap(imagePath("ac_power.png"));
    for (const BatteryStep& step : kBatterySteps) {
        if (percent > step.above)
            return QPixmap(imagePath(step.icon));
    }
    const QPixmap empty(imagePath("battery_0.png"));
    if (percent >= kCriticalPercent)
        return empty;
    QPixmap critical(empty.size());
    critical.fill(Qt::red);
    QPainter painter(&critical);
    painter.drawPixmap(0, 0, empty);
    return critical;
}

QPixmap IconStatusBar::NoBatteryDataIcon()
{
    // Grey and without the last cell, so it does not read as a low charge.
    const QImage empty = QImage(imagePath("battery_0.png")).convertToFormat(QImage::Format_ARGB32);
    QImage icon = empty;
    const QRect cell(empty.width() * 5 / 34, empty.height() * 12 / 34, empty.width() * 4 / 34,
                     empty.height() * 10 / 34);
    const int shift = empty.width() * 10 / 34; // to the empty body beside the cell
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const QRgb pixel = cell.contains(x, y) ? empty.pixel(x + shift, y) : empty.pixel(x, y);
            const int grey = qGray(pixel);
            icon.setPixel(x, y, qRgba(grey, grey, grey, qAlpha(pixel)));
        }
    }
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(icon.height() * 12 / 34);
    painter.setFont(font);
    painter.setPen(QColor(0xd4, 0xd5, 0xd7)); // the outline's colour
    // The battery's body, without its terminal.
    const int bodyWidth = icon.width() * 24 / 34; // whole pixels
    const int bodyHeight = icon.height() * 13 / 34;
    const QRectF body(icon.width() * 3.5 / 34, icon.height() * 10.5 / 34, bodyWidth, bodyHeight);
    painter.drawText(body, Qt::AlignCenter, QStringLiteral("?"));
    painter.end();
    return QPixmap::fromImage(icon);
}

void IconStatusBar::NewBatteryStatus()
{
    const BatteryStatusMonitor* battery = BatteryStatusMonitor::Get();
    if (!battery->HasBatteryData()) {
        ui->batteryLabel->setPixmap(NoBatteryDataIcon());
        return;
    }
    ui->batteryLabel->setPixmap(
        BatteryIcon(battery->GetBatteryPercent(), battery->IsAcPowerConnected()));
}

void IconStatusBar::ShowLowBatteryNotice(int percent)
{
    const QString text = tr("Battery low: %1 %").arg(percent);
    // One notice at a time: a lower charge while it is up only updates it.
    if (m_lowBatteryNotice) {
        m_lowBatteryNotice->setText(text);
        return;
    }
    // Not exec(): this runs inside the bus's delivery of the battery board's answer.
    m_lowBatteryNotice = PanelMessageBox::OpenNotice(tr("Battery"), text, window());
}

void IconStatusBar::UpdateTime()
{
    ui->timeLabel->setText(Board::Get().Now().toString(QStringLiteral("hh:mm")));
}

void IconStatusBar::UpdateSettingsIcons()
{
    switch (eHeadlightUserSetting(m_headlight.Get())) {
    case eHeadlightUserSetting::Off:
        ui->flashLightButton->setIcon(QIcon(imagePath("headlamp_off.png")));
        break;
    case eHeadlightUserSetting::On:
        ui->flashLightButton->setIcon(QIcon(imagePath("headlamp_on.png")));
        break;
    }
}

void IconStatusBar::on_flashLightButton_clicked()
{
    m_headlight.Toggle();
}

void IconStatusBar::VolumeValueChanged()
{
    ui->volumeBar->setFormat(AudioSourceUserSetting().Get() != 0 ? tr("Volume")
                                                                 : tr("Volume: HP only"));
    ui->volumeBar->setValue(VolumeUserSetting().Get() & 0xFF);
}

void IconStatusBar::setStatusIcon(const char* path)
{
    m_statusIcon = path;
    showStatusIcon();
}

void IconStatusBar::showStatusIcon()
{
    // A classification from a head that no longer answers would be a stale reading.
    const char* path = m_headSilent ? "head_silent.png" : m_statusIcon;
    ui->statusLabel->setPixmap(path ? QPixmap(imagePath(path)) : QPixmap());
}

void IconStatusBar::IndicateHeadSilent()
{
    m_headSilent = true;
    showStatusIcon();
}

void IconStatusBar::IndicateHeadAnswering()
{
    m_headSilent = false;
    showStatusIcon();
}

void IconStatusBar::IndicateCorrosiveDetected()
{
    setStatusIcon("corrosive_yellow.png");
}

void IconStatusBar::IndicateSemiconductorDetected()
{
    setStatusIcon("semi_conductor_on.png");
}

void IconStatusBar::IndicateIndeterminateStateDetected()
{
    setStatusIcon(nullptr);
}

void IconStatusBar::IndicateEnteredFreqScanMode()
{
    setStatusIcon("frequency.png");
}
