// The whole program against a simulated head that does not answer: what the screens show
// before the head has answered, how a stopped head and one silent controller are shown,
// and that answers clear it all.

#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "screens/bargraph.h"
#include "screens/chartdisplay.h"
#include "screens/chartrecorder.h"
#include "screens/freqscan.h"
#include "screens/frequencyhistogram.h"
#include "screens/homescreen.h"
#include "services/timeService.h"
#include "services/versionInfo.h"
#include "settings/userSettingsService.h"
#include "setup/informationSubscreen.h"
#include "shell/iconStatusBar.h"
#include "shell/panelDialogs.h"
#include "shell/quarn24ex.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRegularExpression>

#include <functional>

namespace {
constexpr int kSilentAfterMs = 400;

QImage image(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
} // namespace

class TestSilentHead : public QObject
{
    Q_OBJECT
private:
    HeadSim* m_sim = nullptr;
    QList<QuarnBusMsg> m_heard;
    std::unique_ptr<Quarn24EX> m_window;
    std::unique_ptr<InformationSubscreen> m_information;

    struct Reading
    {
        const char* name;
        std::function<QString()> shown;
        QString before;
        QRegularExpression after;
    };

    template <typename T> T* page(Quarn24EX::Page index)
    {
        return static_cast<T*>(m_window->page(index));
    }
    QString label(QWidget* parent, const char* name)
    {
        return parent->findChild<QLabel*>(QLatin1String(name))->text();
    }
    QString information(const char* name)
    {
        m_information->RefreshUi(); // as every time the page is shown
        return label(m_information.get(), name);
    }
    template <typename Placements> static QString ruleRow(const Placements& placements, int rule)
    {
        for (const auto& p : placements) {
            if (p.image == rule)
                return QString::number(p.y);
        }
        return QStringLiteral("--");
    }

    QList<Reading> readings()
    {
        auto* bars = page<Bargraph>(Quarn24EX::eBarGraphPage);
        auto* chart = page<ChartDisplay>(Quarn24EX::eChartPage);
        auto* scan = page<FrequencyHistogram>(Quarn24EX::eFreqScanPage);
        // The head's power level of 15 puts both power markers 124 pixels above their base,
        // its trip level of 10 the trip marker 83 pixels.
        return {
            {"bar graph: power marker row",
             [=] { return ruleRow(bars->placements(), Bargraph::ePowerRule); }, "--",
             QRegularExpression("^82$")},
            {"bar graph: trip marker row",
             [=] { return ruleRow(bars->placements(), Bargraph::eTripRule); }, "--",
             QRegularExpression("^119$")},
            {"chart: power marker row",
             [=] { return ruleRow(chart->placements(), PowerBarScreen::ePowerRule); }, "--",
             QRegularExpression("^77$")},
            {"chart: samples, peak marker",
             [=] {
                 ChartRecorder* recorder = chart->recorder();
                 return QStringLiteral("%1 %2")
                     .arg(recorder->count() > 0)
                     .arg(recorder->isMarkerShown());
             },
             "0 0", QRegularExpression("^1 1$")},
            {"frequency scan: band start", [=] { return label(scan, "lblStartFreq"); }, "--",
             QRegularExpression("^2\\.\\d{3}$")},
            {"frequency scan: band end", [=] { return label(scan, "lblStopFreq"); }, "--",
             QRegularExpression("^2\\.\\d{3}$")},
            {"frequency scan: frequency", [=] { return label(scan, "lblFreqVal"); }, "--",
             QRegularExpression("^2\\.\\d{3} GHz$")},
            {"frequency scan: marker",
             [=] { return QString::number(scan->plot(FreqScan::eTransmit)->isMarkerShown()); }, "0",
             QRegularExpression("^1$")},
            {"information: charge", [=] { return information("batCharge"); }, "Charge: --",
             QRegularExpression("^Charge: \\d+%$")},
            {"information: battery status", [=] { return information("batRawStatus"); }, "Sts: --",
             QRegularExpression("^Sts: [0-9a-f]+$")},
            {"information: MST version", [=] { return information("swVerMstLabel"); }, "MST --",
             QRegularExpression("^MST \\d")},
        };
    }

    PanelMessageBox* notice() const
    {
        const auto all =
            m_window->findChildren<PanelMessageBox*>(QStringLiteral("headSilentNotice"));
        return all.size() == 1 ? all.at(0) : nullptr;
    }
    int noticeCount() const
    {
        return m_window->findChildren<PanelMessageBox*>(QStringLiteral("headSilentNotice")).size();
    }
    bool indicatorShown() const
    {
        const QLabel* status = m_window->findChild<QLabel*>(QStringLiteral("statusLabel"));
        return image(status->pixmap(Qt::ReturnByValue)) ==
               image(QPixmap(QStringLiteral(":/:/images/images/head_silent.png")));
    }
    int probesHeard() const
    {
        return int(std::count_if(m_heard.begin(), m_heard.end(), [](const QuarnBusMsg& msg) {
            return msg.type == eGetFreqValueMsg;
        }));
    }

private slots:
    void initTestCase()
    {
        SimOptions options = SimHarness::fastOptions();
        options.resultsPerSecond = 20; // the bars and the chart have readings to show
        m_sim = SimHarness::StartProgramOnSim(this, &m_heard, options);
        QVERIFY(m_sim);
        m_sim->port()->hold(); // the head stopped before the program started
        HeadLink* link = QuarnBus::Get()->headLink();
        link->setSilentAfter(kSilentAfterMs);
        link->Watch();
        TimeService::Get();
        UserSettingsService::Get();
        VersionInfo::Get();
        m_window = std::make_unique<Quarn24EX>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        emit page<HomeScreen>(Quarn24EX::eHomePage)->scanSelected(); // the operator opens the scan
        m_information = std::make_unique<InformationSubscreen>();
    }

    void init()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
    }

    void cleanupTestCase()
    {
        m_information.reset();
        m_window.reset();
    }

    void beforeTheHeadAnswers_theScreensSayTheyDoNotKnow()
    {
        QStringList wrong;
        for (const Reading& r : readings()) {
            if (r.shown() != r.before)
                wrong << QStringLiteral("%1: %2").arg(QLatin1String(r.name), r.shown());
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
        // Nor is a frequency made up from the placeholder band sent as the operator's.
        QVERIFY(std::none_of(m_heard.begin(), m_heard.end(),
                             [](const QuarnBusMsg& msg) { return msg.type == eSetFreqValueMsg; }));
        // Back to the bar graph: the head sends results again once it answers.
        page<FrequencyHistogram>(Quarn24EX::eFreqScanPage)
            ->findChild<QAbstractButton*>(QStringLiteral("btnHome"))
            ->click();
    }

    // Only the battery board and the master are waited for at start; the radio is asked
    // once the silence begins, so the notice names all three.
    void stoppedHead_isIndicated_andNamedWholeInOneNotice()
    {
        QTRY_VERIFY(notice());
        QTRY_COMPARE(notice()->text(), QStringLiteral("No response from the head (MST, RAD, BBM)"));
        QCOMPARE(notice()->windowTitle(), QStringLiteral("No Response"));
        QVERIFY(notice()->isVisible());
        QVERIFY(indicatorShown());
        const int before = probesHeard();
        QTRY_VERIFY(probesHeard() > before + 1); // still asked, still silent
        QCOMPARE(noticeCount(), 1);
        if (qEnvironmentVariableIsSet("QUARN_RENDER"))
            m_window->grab().save(QStringLiteral("/tmp/e-head-silent.png"));
    }

    void answersComeBack_clearTheIndicatorAndTheNotice_andTheScreensShowReadings()
    {
        m_sim->port()->resume();
        QTRY_VERIFY(!indicatorShown());
        QTRY_COMPARE(noticeCount(), 0);
        for (const Reading& r : readings())
            QTRY_VERIFY2(
                r.after.match(r.shown()).hasMatch(),
                qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(r.name), r.shown())));
    }

    void oneSilentController_isNamed_onceForEachSilence()
    {
        for (int silence = 0; silence < 2; ++silence) {
            m_sim->port()->setSilent(BusId::Mst, true);
            UserSettingsService::Get()->Refresh();
            QTRY_VERIFY(notice());
            QCOMPARE(notice()->text(), QStringLiteral("No response from the head (MST)"));
            QVERIFY(indicatorShown());
            // Put away by the operator: not shown again while the master stays silent.
            notice()->button(QMessageBox::Ok)->click();
            QTRY_COMPARE(noticeCount(), 0);
            const int before = probesHeard();
            QTRY_VERIFY(probesHeard() > before + 1);
            QCOMPARE(noticeCount(), 0);
            QVERIFY(indicatorShown());

            m_sim->port()->setSilent(BusId::Mst, false);
            QTRY_VERIFY(!indicatorShown());
        }
    }
};

QUARN_GUI_TEST_MAIN(TestSilentHead)
#include "tst_silentHead.moc"
