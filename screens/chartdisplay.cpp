#include "screens/chartdisplay.h"

#include "screens/chartrecorder.h"
#include "screens/harmonicsAnalyzer.h"
#include "settings/chartTimeUserSetting.h"
#include "settings/userSettingsService.h"
#include "ui_chartdisplay.h"

namespace {
constexpr QSize kPlotSize(169, 194);
constexpr int kPlotMargin = 2;
// The chips sit in a row above the canvas; the span is written under it, clear of them.
constexpr int kChipRow = 18;

struct TimeSpan
{
    int periodMs;
    const char* title; // what 300 samples span
};
constexpr TimeSpan kTimeSpans[] = {
    {30, "10 seconds"}, {65, "20 seconds"}, {100, "30 seconds"}, {200, "1 minute"}};
} // namespace

ChartDisplay::ChartDisplay(QWidget* parent)
    : PowerBarScreen(kBarLeft, parent), ui(std::make_unique<Ui::ChartDisplay>())
{
    ui->setupUi(this);
    attachVolumeButtons(ui->btnVolumeDown, ui->btnVolumeUp);

    m_recorder = new ChartRecorder(ui->plotWidget);
    m_recorder->setGeometry(QRect(QPoint(0, 0), kPlotSize));
    m_recorder->setContentsMargins(kPlotMargin, kChipRow, kPlotMargin, kPlotMargin);
    QwtText title(QString::fromLatin1(kTimeSpans[1].title));
    title.setColor(Qt::white);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    font.setBold(true);
    title.setFont(font);
    title.setRenderFlags(Qt::AlignHCenter | Qt::AlignVCenter);
    m_recorder->setFooter(title);

    HarmonicsAnalyzer* analyzer = HarmonicsAnalyzer::Get();
    connect(analyzer, &HarmonicsAnalyzer::HarmonicData, m_recorder,
            &ChartRecorder::NewHarmonicData);
    connect(analyzer, &HarmonicsAnalyzer::SemiconductorDetected, m_recorder,
            &ChartRecorder::IndicateSemiconductorDetected);
    connect(analyzer, &HarmonicsAnalyzer::CorrosiveDetected, m_recorder,
            &ChartRecorder::IndicateCorrosiveDetected);
    connect(this, &ChartDisplay::toggleCurve, m_recorder, &ChartRecorder::toggleChartLine);
    connect(this, &ChartDisplay::newTime, m_recorder, &ChartRecorder::setPlotDuration);
    connect(m_recorder, &ChartRecorder::plotTouched, this, &ChartDisplay::doPlotTouchAction);
    connect(UserSettingsService::Get(), &UserSettingsService::ChartSettingChanged, this,
            &ChartDisplay::changeTimeDuration);

    changeTimeDuration();
}

ChartDisplay::~ChartDisplay() = default;

QString ChartDisplay::plotTitle() const
{
    return m_recorder->footer().text();
}

void ChartDisplay::changeTimeDuration()
{
    const int span = ChartTimeUserSetting().Get();
    if (span < 0 || span >= int(std::size(kTimeSpans)))
        return;
    emit newTime(kTimeSpans[span].periodMs);
    QwtText title = m_recorder->footer();
    title.setText(QString::fromLatin1(kTimeSpans[span].title));
    m_recorder->setFooter(title);
}

void ChartDisplay::doPlotTouchAction()
{
    ChartTimeUserSetting().Increment();
    changeTimeDuration();
}

void ChartDisplay::on_btnHome_clicked()
{
    emit homeSelected();
}

void ChartDisplay::do_btnPowerUp_clicked()
{
    stepPowerLevel(Touch::PowerUp);
}

void ChartDisplay::do_btnPowerDown_clicked()
{
    stepPowerLevel(Touch::PowerDown);
}

void ChartDisplay::on_btnRX2_clicked()
{
    emit toggleCurve(ChartTraces::eRadio2nd);
}

void ChartDisplay::on_btnRX3_clicked()
{
    emit toggleCurve(ChartTraces::eRadio3rd);
}

void ChartDisplay::on_btnPower_clicked()
{
    emit toggleCurve(ChartTraces::eRadioPower);
}
