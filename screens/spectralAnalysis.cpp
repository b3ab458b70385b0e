#include "screens/spectralAnalysis.h"

#include "bus/measurementMsgs.h"
#include "bus/quarnBus.h"
#include "screens/arraySeries.h"
#include "screens/rasterCurves.h"
#include "screens/spectrumCalculator.h"
#include "screens/traceColours.h"
#include "settings/audioModeUserSetting.h"
#include "ui_spectralAnalysis.h"

#include <qwt_plot.h>
#include <qwt_plot_canvas.h>
#include <qwt_plot_curve.h>
#include <qwt_plot_layout.h>

#include <QDebug>
#include <QTimer>

namespace {
constexpr double kDbMin = -160;
constexpr double kDbMax = -80;
constexpr int kCanvasMargin = 5;
// Inside "plotWidget": one plot across, or two side by side.
constexpr QRect kWholeRect(0, 0, 170, 195);
constexpr QRect kLeftRect(0, 0, 85, 195);
constexpr QRect kRightRect(85, 0, 85, 195);

QwtPlot* makePlot(QWidget* parent, const char* name)
{
    auto* plot = new QwtPlot(parent);
    plot->setObjectName(QLatin1String(name));
    plot->setAutoReplot(false);
    auto* canvas = new QwtPlotCanvas;
    canvas->setFrameStyle(QFrame::NoFrame);
    canvas->setBorderRadius(0);
    plot->setCanvas(canvas);
    plot->setCanvasBackground(Qt::black);
    QPalette palette = plot->palette();
    palette.setColor(QPalette::Window, Qt::black);
    plot->setPalette(palette);
    plot->setAutoFillBackground(true);
    plot->plotLayout()->setCanvasMargin(kCanvasMargin);
    plot->plotLayout()->setAlignCanvasToScales(false);
    plot->enableAxis(QwtPlot::xBottom, false);
    plot->enableAxis(QwtPlot::yLeft, false);
    plot->setAxisScale(QwtPlot::xBottom, 0, SpectrumCalculator::kPoints);
    plot->setAxisScale(QwtPlot::yLeft, kDbMin, kDbMax);
    (new RasterCurvesLayer)->attach(plot); // draws the spectra
    return plot;
}

QwtPlotCurve* makeCurve(const char* title, const QColor& colour, ArraySeries* series)
{
    auto* curve = new RasterCurve(QLatin1String(title));
    curve->setPen(colour, 2);
    curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    curve->setData(series); // owned by the curve
    return curve;
}
} // namespace

struct SpectralAnalysis::Plots
{
    QwtPlot* main = nullptr;
    QwtPlot* second = nullptr;
    QwtPlotCurve* curve2nd = nullptr;
    QwtPlotCurve* curve3rd = nullptr;
    ArraySeries* series2nd = nullptr;
    ArraySeries* series3rd = nullptr;

    ~Plots()
    {
        // Curves attached to a plot go with it; the others are ours.
        for (QwtPlotCurve* curve : {curve2nd, curve3rd}) {
            if (!curve->plot())
                delete curve;
        }
    }
};

SpectralAnalysis::SpectralAnalysis(QWidget* parent)
    : PowerBarScreen(kBarLeft, parent), ui(std::make_unique<Ui::SpectralAnalysis>()),
      m_plots(std::make_unique<Plots>()), m_calculator(std::make_unique<SpectrumCalculator>())
{
    ui->setupUi(this);
    attachVolumeButtons(ui->btnVolumeDown, ui->btnVolumeUp);

    Plots& p = *m_plots;
    p.main = makePlot(ui->plotWidget, "mainPlot");
    p.main->setGeometry(kWholeRect);
    p.second = makePlot(ui->plotWidget, "secondPlot");
    p.second->setGeometry(kRightRect);
    p.second->hide();
    const SpectrumCalculator& c = *m_calculator;
    p.series2nd = new ArraySeries(c.displayIndices(), c.spectrum2nd(), kDbMin, kDbMax);
    p.series3rd = new ArraySeries(c.displayIndices(), c.spectrum3rd(), kDbMin, kDbMax);
    p.curve2nd = makeCurve("Spectral2nd", TraceColours::Harmonic2nd(), p.series2nd);
    // Over the 2nd, the 3rd is a see-through yellow.
    p.curve3rd = makeCurve("Spectral3rd", QColor(255, 255, 47, 159), p.series3rd);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &SpectralAnalysis::startData);
}

SpectralAnalysis::~SpectralAnalysis() = default;

bool SpectralAnalysis::isAcquiring() const
{
    return m_timer->isActive();
}

int SpectralAnalysis::acquisitionInterval() const
{
    return m_timer->interval();
}

int SpectralAnalysis::curvePoints2nd() const
{
    return int(m_plots->series2nd->size());
}

int SpectralAnalysis::curvePoints3rd() const
{
    return int(m_plots->series3rd->size());
}

void SpectralAnalysis::startTimer()
{
    // The spectra need a receiver's audio; tone or silence gives way to 2nd-harmonic FM.
    AudioModeUserSetting audio;
    savedAudioMode = audio.Get();
    if (savedAudioMode == int(eAudioModeUserSetting::Off) ||
        savedAudioMode == int(eAudioModeUserSetting::Tone))
        audio.Set(eAudioModeUserSetting::Rx2Fm);
    m_timer->start(kEntryDelayMs);
}

void SpectralAnalysis::startData()
{
    // Answers were missing from the last cycle: part of a block, or the whole 3rd block.
    if (responseCount != 0 || collecting3rd)
        qDebug() << "We have missing Spectral Data messages!!!!";
    responseCount = 0;
    collecting3rd = false;
    QuarnBus::Get()->sendMsg(FftCorrelatedDataRequestMsg(2));
    m_plots->series2nd->setSize(0);
    m_plots->series3rd->setSize(0);
    buffer2nd.clear();
    buffer3rd.clear();
    m_timer->start(firstRequest ? kFirstCycleMs : kCycleMs);
    firstRequest = false;
}

void SpectralAnalysis::onNewRawMsg(QuarnBusMsg msg)
{
    if (msg.type == eFftCorrelatedDataRespMsg)
        takeResponse(msg.body);
    else
        PowerBarScreen::onNewRawMsg(msg);
}

void SpectralAnalysis::takeResponse(const QByteArray& piece)
{
    (collecting3rd ? buffer3rd : buffer2nd).append(piece);
    if (++responseCount < kResponsesPerBlock)
        return;
    responseCount = 0;
    if (!collecting3rd) {
        collecting3rd = true;
        QuarnBus::Get()->sendMsg(FftCorrelatedDataRequestMsg(3));
        return;
    }
    collecting3rd = false;
    processBlocks();
}

void SpectralAnalysis::processBlocks()
{
    m_calculator->process(buffer2nd, buffer3rd);
    Plots& p = *m_plots;
    p.series2nd->setSize(SpectrumCalculator::kPoints);
    p.series3rd->setSize(SpectrumCalculator::kPoints);
    p.curve2nd->attach(p.main);
    p.curve3rd->attach(splitView ? p.second : p.main);
    p.main->replot();
    if (splitView)
        p.second->replot();
}

void SpectralAnalysis::on_pushButton_clicked()
{
    splitView = !splitView;
    Plots& p = *m_plots;
    p.main->setGeometry(splitView ? kLeftRect : kWholeRect);
    p.second->setVisible(splitView);
    ui->btnRX2->setVisible(!splitView);
    ui->btnRX3->setVisible(!splitView);
    ui->pushButton->setIcon(QIcon(splitView ? QStringLiteral(":/:/images/images/h_ry_tb.png")
                                            : QStringLiteral(":/:/images/images/h_ry_lr.png")));
}

void SpectralAnalysis::on_btnRX2_clicked()
{
    m_plots->curve2nd->setVisible(!m_plots->curve2nd->isVisible());
}

void SpectralAnalysis::on_btnRX3_clicked()
{
    m_plots->curve3rd->setVisible(!m_plots->curve3rd->isVisible());
}

void SpectralAnalysis::aboutToRaiseFromZero()
{
    // The transmitter comes on: ask for a spectrum soon rather than at the next cycle.
    m_timer->start(kEntryDelayMs);
}

void SpectralAnalysis::on_btnHome_clicked()
{
    m_timer->stop();
    if (savedAudioMode >= 0)
        AudioModeUserSetting().Set(eAudioModeUserSetting(savedAudioMode));
    emit homeSelected();
}
