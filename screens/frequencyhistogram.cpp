#include "screens/frequencyhistogram.h"

#include "bus/msgShapes.h"
#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "screens/freqscan.h"
#include "screens/touchFeedback.h"
#include "settings/freqModeUserSetting.h"
#include "settings/freqValueUserSetting.h"
#include "settings/regionUserSetting.h"
#include "ui_frequencyhistogram.h"

#include <QVBoxLayout>

namespace {
constexpr quint32 kMHz = 1000000;
// Shown for what the head has not told yet.
const char* const kUnknown = "--";

QString rangeText(double mhz, bool gigahertz)
{
    return gigahertz ? QString::number(mhz / 1000, 'f', 3) : QString::number(mhz, 'f', 1);
}
} // namespace

FrequencyHistogram::FrequencyHistogram(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::FrequencyHistogram>())
{
    ui->setupUi(this);
    for (QLabel* label : {ui->lblStartFreq, ui->lblStopFreq, ui->lblFreqVal})
        label->setText(QLatin1String(kUnknown));
    // Held, the arrows step ten times a second: a pulse on each would buzz.
    ui->btnLeft->setVibrateModuloWhenAutoRepeat(TouchFeedback::kPulseEveryRepeats);
    ui->btnRight->setVibrateModuloWhenAutoRepeat(TouchFeedback::kPulseEveryRepeats);
    QWidget* containers[3] = {ui->Plot1stWidget, ui->Plot2ndWidget, ui->Plot3rdWidget};
    for (int h = 0; h < 3; ++h) {
        auto* layout = new QVBoxLayout(containers[h]);
        layout->setContentsMargins(0, 0, 0, 0);
        m_plots[h] = new FreqScan(containers[h]);
        m_plots[h]->setHarmonic(FreqScan::HarmonicData(h));
        layout->addWidget(m_plots[h]);
    }

    for (int h = 0; h < 3; ++h) {
        FreqScan* plot = m_plots[h];
        for (int other = 0; other < 3; ++other) {
            if (other != h)
                connect(plot, &FreqScan::setMarkerPosition, m_plots[other],
                        &FreqScan::moveMarkerPosition);
        }
        connect(plot, &FreqScan::setMarkerPosition, this,
                &FrequencyHistogram::manualChangeDetected);
        connect(plot, &FreqScan::setFreqValue, this, &FrequencyHistogram::updateFreqText2);
        connect(plot, &FreqScan::finishAutoScan, this, &FrequencyHistogram::do_AutoScan_complete);
        connect(plot, &FreqScan::newFreqRange, this, &FrequencyHistogram::setNewFreqRange);
        connect(this, &FrequencyHistogram::autoMarkerPosition, plot, &FreqScan::moveMarkerPosition);
        connect(QuarnBus::Get(), &QuarnBus::newMsg, plot, &FreqScan::onNewRawMsg);
    }
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &FrequencyHistogram::onNewRawMsg);
}

FrequencyHistogram::~FrequencyHistogram() = default;

void FrequencyHistogram::onNewRawMsg(QuarnBusMsg msg)
{
    if (msg.type != eGetZoneMsgResp || msg.param != RegionUserSetting().Get())
        return;
    const bool locked = le32At(msg, 0) == le32At(msg, 4);
    ui->lblFreqVal->setVisible(!locked);
    ui->btnAutoScan->setVisible(!locked);
    ui->lblCElocked->setVisible(locked);
}

void FrequencyHistogram::setNewFreqRange(u_int16_t baseMHz, u_int8_t steps)
{
    rangeBaseMHz = baseMHz;
    rangeBinCount = steps;
    showChannel(nullptr, 1);
}

void FrequencyHistogram::showChannel(QAbstractButton* button, int harmonic)
{
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(ui->btnTx1), static_cast<QAbstractButton*>(ui->btnRx2),
          static_cast<QAbstractButton*>(ui->btnRx3)})
        b->setChecked(button == nullptr || b == button);
    if (rangeBinCount == 0) {
        ui->lblStartFreq->setText(QLatin1String(kUnknown));
        ui->lblStopFreq->setText(QLatin1String(kUnknown));
        return;
    }
    const bool gigahertz = rangeBaseMHz >= 1000;
    ui->lblStartFreq->setText(rangeText(double(rangeBaseMHz) * harmonic, gigahertz));
    ui->lblStopFreq->setText(
        rangeText((double(rangeBaseMHz) + rangeBinCount - 1) * harmonic, gigahertz));
}

void FrequencyHistogram::updateFreqText2(u_int32_t hz)
{
    FreqScan* transmit = m_plots[FreqScan::eTransmit];
    // Before the head has told its band the limits are placeholders: a frequency clamped
    // to them is none the head can take, and must not be sent as the operator's choice.
    if (rangeBinCount == 0) {
        ui->lblFreqVal->setText(QLatin1String(kUnknown));
        return;
    }
    hz = qBound(transmit->minimumFreq(), quint32(hz), transmit->maximumFreq());
    FreqValueUserSetting().Set(hz);
    transmit->setCurrentFrequency(hz);
    ui->lblFreqVal->setText(rangeBaseMHz > 999
                                ? QString::number(hz / 1e9, 'f', 3) + QStringLiteral(" GHz")
                                : QString::number(hz / 1e6, 'f', 2) + QStringLiteral(" MHz"));
    const qint64 bar = (qint64(hz) - qint64(rangeBaseMHz) * kMHz) / kMHz;
    markerPos = int(qBound<qint64>(transmit->minimumPos(), bar, transmit->maximumPos()));
}

void FrequencyHistogram::on_btnTx1_clicked()
{
    FreqScan* transmit = m_plots[FreqScan::eTransmit];
    showChannel(ui->btnTx1, 1);
    autoScanRequested = false;
    QuarnBus::Get()->sendMsg(SetOperatingModeMsg(kTransmitScanMode));
    autoFrequency = false;
    updateFreqText2(transmit->currentFrequency());
    emit autoMarkerPosition(markerPos);
}

void FrequencyHistogram::on_btnRx2_clicked()
{
    showChannel(ui->btnRx2, 2);
    autoScanRequested = false;
    QuarnBus::Get()->sendMsg(SetOperatingModeMsg(kRx2ScanMode));
}

void FrequencyHistogram::on_btnRx3_clicked()
{
    showChannel(ui->btnRx3, 3);
    autoScanRequested = false;
    QuarnBus::Get()->sendMsg(SetOperatingModeMsg(kRx3ScanMode));
}

void FrequencyHistogram::on_btnAutoScan_clicked()
{
    autoScanRequested = true;
    showChannel(nullptr, 1);
    autoFrequency = true;
    QuarnBus::Get()->sendMsg(SetOperatingModeMsg(kAutoScanMode));
}

int FrequencyHistogram::quietestBar() const
{
    // Only levels that all three plots hold: a plot's bars follow the last ambient data
    // and may fall short of the range. Each plot's last bar is no level but a stub.
    int bars = rangeBinCount;
    for (const FreqScan* plot : m_plots)
        bars = qMin(bars, plot->barCount() - 1);
    int quietest = 0;
    double lowest = kAutoScanLimit;
    for (int i = 0; i < bars; ++i) {
        double sum = 0;
        for (const FreqScan* plot : m_plots)
            sum += plot->barHeight(i);
        if (sum < lowest) {
            lowest = sum;
            quietest = i;
        }
    }
    return quietest;
}

void FrequencyHistogram::do_AutoScan_complete()
{
    if (!autoScanRequested)
        return;
    const int bar = quietestBar();
    updateFreqText2((quint32(bar) + rangeBaseMHz) * kMHz);
    emit autoMarkerPosition(bar);
    on_btnTx1_clicked();
}

void FrequencyHistogram::stepFrequency(qint64 step)
{
    FreqScan* transmit = m_plots[FreqScan::eTransmit];
    const qint64 next = qint64(transmit->currentFrequency()) + step;
    if (next >= qint64(transmit->minimumFreq()) && next <= qint64(transmit->maximumFreq()))
        transmit->setCurrentFrequency(quint32(next));
    autoFrequency = false;
    updateFreqText2(transmit->currentFrequency());
    emit autoMarkerPosition(markerPos);
}

void FrequencyHistogram::on_btnLeft_clicked()
{
    stepFrequency(-qint64(m_plots[FreqScan::eTransmit]->frequencyStep()));
}

void FrequencyHistogram::on_btnRight_clicked()
{
    stepFrequency(qint64(m_plots[FreqScan::eTransmit]->frequencyStep()));
}

void FrequencyHistogram::manualChangeDetected(int)
{
    autoFrequency = false;
}

void FrequencyHistogram::initializeFrequencyValue()
{
    on_btnTx1_clicked();
}

void FrequencyHistogram::setHeadType(eHeadTypeIdT type)
{
    if (type < eHeadTypeStandard || type > eHeadTypeClassic)
        return;
    QuarnBus::Get()->sendMsg(GetZoneMsg(quint8(RegionUserSetting().Get())));
}

void FrequencyHistogram::on_btnHome_clicked()
{
    FreqModeUserSetting().Set(autoFrequency ? eFreqMode::Auto : eFreqMode::Manual);
    QuarnBus::Get()->sendMsg(SetOperatingModeMsg(kSearchMode));
    autoScanRequested = false;
    emit homeSelected();
}
