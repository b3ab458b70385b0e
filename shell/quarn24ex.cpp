#include "shell/quarn24ex.h"

#include "board/boardScreen.h"
#include "bus/headLink.h"
#include "bus/measurementMsgs.h"
#include "bus/quarnBus.h"
#include "screens/bargraph.h"
#include "screens/chartdisplay.h"
#include "screens/frequencyhistogram.h"
#include "screens/harmonicsAnalyzer.h"
#include "screens/homescreen.h"
#include "screens/spectralAnalysis.h"
#include "services/sdCardMonitor.h"
#include "settings/powerOnScreenSetting.h"
#include "setup/clockNotice.h"
#include "setup/setupscreen.h"
#include "shell/keypad.h"
#include "shell/panelDialogs.h"
#include "ui_quarn24ex.h"
#include "update/tscSDCardUpdateDialog.h"

#include <QDebug>
#include <QTimer>

namespace {
const char* kLowerBackground =
    "QStackedWidget {background-image: url(:/:/images/images/main_backgrd_lower.png);}";
constexpr int kSlideSpeedMs = 500;
} // namespace

Quarn24EX::Quarn24EX(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::Quarn24EX>())
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Quarn24EX"));
    ui->setupUi(this);
    bus = QuarnBus::Get();

    keypad = new Keypad;
    dataTimer = new QTimer(this);
    barGraph = new Bargraph(this);
    homeScreen = new HomeScreen(this);
    chartDisplay = new ChartDisplay(this);
    setupScreen = new SetupScreen(this);
    frequencyHistogram = new FrequencyHistogram(this);
    spectralAnalysis = new SpectralAnalysis(this);

    SlidingStackedWidget* stack = ui->stackedWidget;
    for (QWidget* page :
         std::initializer_list<QWidget*>{homeScreen, barGraph, chartDisplay, keypad,
                                         frequencyHistogram, setupScreen, spectralAnalysis})
        stack->addWidget(page);
    stack->setSpeed(kSlideSpeedMs);

    makeConnections();
    ShowPowerOnScreen();
}

Quarn24EX::~Quarn24EX() = default;

void Quarn24EX::makeConnections()
{
    HarmonicsAnalyzer* analyzer = HarmonicsAnalyzer::Get();

    connect(dataTimer, &QTimer::timeout, this, &Quarn24EX::getData);
    connect(homeScreen, &HomeScreen::barSelected, this, &Quarn24EX::doBarGraph);
    connect(homeScreen, &HomeScreen::keypadSelected, this, &Quarn24EX::doKeypad);
    connect(homeScreen, &HomeScreen::spectralSelected, this, &Quarn24EX::doSpectral);
    connect(homeScreen, &HomeScreen::spectralSelected, spectralAnalysis,
            &SpectralAnalysis::startTimer);
    connect(homeScreen, &HomeScreen::scanSelected, this, &Quarn24EX::doFreqScan);
    connect(homeScreen, &HomeScreen::scanSelected, frequencyHistogram,
            &FrequencyHistogram::initializeFrequencyValue);
    connect(homeScreen, &HomeScreen::scanSelected, analyzer, &HarmonicsAnalyzer::SetFreqScanModeOn);
    connect(homeScreen, &HomeScreen::chartSelected, this, &Quarn24EX::doChartRecorder);
    connect(homeScreen, &HomeScreen::setupSelected, this, &Quarn24EX::doSetupScreen);
    connect(keypad, &Keypad::setupSelected, this, &Quarn24EX::doSetupScreen);

    connect(keypad, &Keypad::homeSelected, this, &Quarn24EX::doHomeScreen);
    connect(barGraph, &Bargraph::homeSelected, this, &Quarn24EX::doHomeScreen);
    connect(spectralAnalysis, &SpectralAnalysis::homeSelected, this, &Quarn24EX::doHomeScreen);
    connect(setupScreen, &SetupScreen::homeSelected, this, &Quarn24EX::doHomeScreen);
    connect(chartDisplay, &ChartDisplay::homeSelected, this, &Quarn24EX::doHomeScreen);
    connect(frequencyHistogram, &FrequencyHistogram::homeSelected, this, &Quarn24EX::doHomeScreen);

    // Leaving for any view but the scan ends the analyzer's scan mode.
    for (auto signal :
         {&HomeScreen::barSelected, &HomeScreen::keypadSelected, &HomeScreen::spectralSelected,
          &HomeScreen::chartSelected, &HomeScreen::setupSelected})
        connect(homeScreen, signal, analyzer, &HarmonicsAnalyzer::SetFreqScanModeOff);
    connect(frequencyHistogram, &FrequencyHistogram::homeSelected, analyzer,
            &HarmonicsAnalyzer::SetFreqScanModeOff);

    connect(homeScreen, &HomeScreen::headTypeAttached, setupScreen,
            &SetupScreen::matchCountryScreenToHeadType);
    connect(homeScreen, &HomeScreen::headTypeAttached, frequencyHistogram,
            &FrequencyHistogram::setHeadType);
    connect(homeScreen, &HomeScreen::shutMessageBusOff, bus, &QuarnBus::onBusShutDownRequested);
    connect(homeScreen, &HomeScreen::slowMessageBusDown, bus, &QuarnBus::onBusSlowDownRequested);
    connect(SdCardMonitor::Get(), &SdCardMonitor::UpdateDetected, this,
            &Quarn24EX::doProcessSwUpdateScreen);

    // A stopped clock: the notice leads the operator to the date and time subscreen.
    auto* clockNotice = new ClockNotice(this);
    connect(clockNotice, &ClockNotice::setDateTimeSelected, this, &Quarn24EX::doDateAndTime);
    connect(setupScreen, &SetupScreen::backSelected, this, [this] { slideTo(pageBeforeSetup); });
    // An update that failed after changing the unit is shown at every start until one
    // completes.
    TscSDCardUpdateDialog::ShowFailedUpdateNotice(this);

    connect(bus, &QuarnBus::LineUnavailable, this, &Quarn24EX::showLineUnavailable);
    connect(bus, &QuarnBus::LineOpened, this, &Quarn24EX::closeLineUnavailable);
    connect(bus->headLink(), &HeadLink::HeadSilent, this, &Quarn24EX::showHeadSilent);
    connect(bus->headLink(), &HeadLink::HeadAnswering, this, &Quarn24EX::closeHeadSilent);
    // The line was missing before this window existed: told once the window is up.
    if (!bus->lineUnavailableReason().isEmpty())
        QTimer::singleShot(0, this, [this] {
            if (!bus->lineUnavailableReason().isEmpty())
                showLineUnavailable(bus->lineUnavailableReason());
        });
}

void Quarn24EX::showLineUnavailable(const QString& reason)
{
    if (headNotice)
        headNotice->close();
    // A new reason for the same loss updates the notice rather than stacking another.
    if (lineNotice) {
        lineNotice->setInformativeText(reason);
        return;
    }
    if (lineNoticeShown)
        return;
    lineNoticeShown = true;
    // Not exec(): the bus keeps trying the line beneath.
    lineNotice = PanelMessageBox::OpenNotice(QStringLiteral("No Connection"),
                                             QStringLiteral("No connection to the head"), this);
    lineNotice->setObjectName(QStringLiteral("lineUnavailableNotice"));
    lineNotice->setInformativeText(reason);
}

void Quarn24EX::closeLineUnavailable()
{
    lineNoticeShown = false;
    if (lineNotice)
        lineNotice->close();
}

void Quarn24EX::showHeadSilent(const QStringList& controllers)
{
    const QString text =
        tr("No response from the head (%1)").arg(controllers.join(QStringLiteral(", ")));
    if (headNotice) {
        headNotice->setText(text);
        return;
    }
    // An update resets and programs the controllers and times their answers itself.
    if (headNoticeShown || lineNoticeShown || updateDialogOpen ||
        !bus->lineUnavailableReason().isEmpty())
        return;
    headNoticeShown = true;
    headNotice = PanelMessageBox::OpenNotice(tr("No Response"), text, this);
    headNotice->setObjectName(QStringLiteral("headSilentNotice"));
}

void Quarn24EX::closeHeadSilent()
{
    headNoticeShown = false;
    if (headNotice)
        headNotice->close();
}

int Quarn24EX::currentPage() const
{
    return ui->stackedWidget->currentIndex();
}

QWidget* Quarn24EX::page(Page index) const
{
    return ui->stackedWidget->widget(index);
}

void Quarn24EX::slideTo(Page page, bool lowerBackground)
{
    // The stack's current page changes only once a slide is done.
    if (page == eSetupPage && shownPage != eSetupPage)
        pageBeforeSetup = shownPage;
    shownPage = page;
    ui->stackedWidget->slideInIdx(page);
    if (lowerBackground)
        ui->stackedWidget->setStyleSheet(QLatin1String(kLowerBackground));
}

void Quarn24EX::doHomeScreen()
{
    slideTo(eHomePage);
}
void Quarn24EX::doBarGraph()
{
    slideTo(eBarGraphPage);
}
void Quarn24EX::doFreqScan()
{
    slideTo(eFreqScanPage);
}
void Quarn24EX::doKeypad()
{
    slideTo(eKeypadPage);
}
void Quarn24EX::doSpectral()
{
    slideTo(eSpectralPage);
}
void Quarn24EX::doChartRecorder()
{
    slideTo(eChartPage);
}
void Quarn24EX::doSetupScreen()
{
    slideTo(eSetupPage, false);
}

void Quarn24EX::doDateAndTime()
{
    // From another screen the subscreen's back arrow returns there; from within setup it
    // goes back to setup's page as always.
    const bool fromElsewhere = shownPage != eSetupPage;
    doSetupScreen();
    setupScreen->ShowDateAndTime(fromElsewhere);
}

void Quarn24EX::getData()
{
    bus->sendMsg(QuarnGetResultRequestMsg());
}

void Quarn24EX::ShowPowerOnScreen()
{
    switch (PowerOnScreenSetting().Get()) {
    case 1:
        doHomeScreen();
        break;
    case 2:
        doChartRecorder();
        break;
    case 3:
        doSpectral();
        spectralAnalysis->startTimer();
        break;
    default:
        doBarGraph();
        break;
    }
}

void Quarn24EX::doProcessSwUpdateScreen()
{
    // A card taken out and put back while an update runs offers it again: a second update
    // beside the first would program the controllers twice at once.
    if (updateDialogOpen)
        return;
    updateDialogOpen = true;
    qDebug() << "show sw update screen";
    auto dialog = std::make_unique<TscSDCardUpdateDialog>();
    dialog->setWindowFlags(Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    // Shown by exec itself: a dialog already visible would not become modal.
    BoardScreen::PlaceMaximizedDialog(*dialog);
    dialog->exec();
    qDebug() << "sw update screen -- finished";
    dialog.reset();
    updateDialogOpen = false;
}
