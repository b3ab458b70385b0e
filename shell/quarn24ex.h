#pragma once

#include <QMainWindow>
#include <QPointer>

#include <memory>

class Bargraph;
class ChartDisplay;
class FrequencyHistogram;
class HomeScreen;
class Keypad;
class PanelMessageBox;
class QTimer;
class QuarnBus;
class SetupScreen;
class SpectralAnalysis;

namespace Ui {
class Quarn24EX;
}

// The one full-screen window: the status bar over a sliding stack of every screen.
class Quarn24EX : public QMainWindow
{
    Q_OBJECT
public:
    enum Page
    {
        eHomePage = 0,
        eBarGraphPage = 1,
        eChartPage = 2,
        eKeypadPage = 3,
        eFreqScanPage = 4,
        eSetupPage = 5,
        eSpectralPage = 6,
    };

    explicit Quarn24EX(QWidget* parent = nullptr);
    ~Quarn24EX() override;

    int currentPage() const;
    QWidget* page(Page index) const;

public slots:
    void doHomeScreen();
    void doBarGraph();
    void doFreqScan();
    void doKeypad();
    void doSpectral();
    void doChartRecorder();
    void doSetupScreen();
    // The date and time subscreen, as the clock notice asks for it.
    void doDateAndTime();
    void getData();
    void doProcessSwUpdateScreen();
    // The serial line to the head is missing: one notice per loss, gone once it opens.
    void showLineUnavailable(const QString& reason);
    void closeLineUnavailable();
    // Controllers of the head stopped answering: one notice per loss naming them, kept up
    // to date and gone once all answer. The missing line's notice says more and goes first.
    void showHeadSilent(const QStringList& controllers);
    void closeHeadSilent();

private:
    void ShowPowerOnScreen();
    void slideTo(Page page, bool lowerBackground = true);
    void makeConnections();

    std::unique_ptr<Ui::Quarn24EX> ui;
    Keypad* keypad = nullptr;
    QTimer* dataTimer = nullptr;
    Bargraph* barGraph = nullptr;
    ChartDisplay* chartDisplay = nullptr;
    SetupScreen* setupScreen = nullptr;
    FrequencyHistogram* frequencyHistogram = nullptr;
    HomeScreen* homeScreen = nullptr;
    QuarnBus* bus = nullptr;
    SpectralAnalysis* spectralAnalysis = nullptr;
    bool updateDialogOpen = false;
    QPointer<PanelMessageBox> lineNotice;
    bool lineNoticeShown = false; // for this loss of the line
    QPointer<PanelMessageBox> headNotice;
    bool headNoticeShown = false;     // for this silence of the head
    Page shownPage = eHomePage;       // the page shown or sliding in
    Page pageBeforeSetup = eHomePage; // where a subscreen opened from elsewhere returns
};
