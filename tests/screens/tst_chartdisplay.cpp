#include "screens/chartdisplay.h"
#include "screens/chartrecorder.h"
#include "settings/chartTimeUserSetting.h"
#include "settings/hapticUserSetting.h"
#include "settings/muteUserSetting.h"
#include "settings/powerLevelUserSetting.h"
#include "settings/txPowerModeUserSetting.h"
#include "settings/userSettingsStore.h"
#include "shell/middleMan.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/screenCompare.h"
#include "tests/support/settledLine.h"

#include <qwt_scale_div.h>

#include <QAbstractButton>
#include <QApplication>
#include <QSignalSpy>

#include <cmath>
#include <memory>

using P = PowerBarScreen::Placement;

namespace {
// A recorder of its own with its timer out of the way: the test ticks it.
std::unique_ptr<ChartRecorder> quietRecorder()
{
    auto chart = std::make_unique<ChartRecorder>();
    chart->setPlotDuration(1000000);
    return chart;
}

// Counts the paint events an object receives.
struct PaintCount : QObject
{
    explicit PaintCount(QObject* watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
    int count = 0;
};

// A recorder on a clock the test sets.
class ClockedRecorder : public ChartRecorder
{
public:
    qint64 now = 0;

protected:
    qint64 nowMs() const override { return now; }
};

double percent(int reading)
{
    return qMin(reading, 239) * 100 / 239;
}
} // namespace

class TestChartDisplay : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    ChartDisplay* m_view = nullptr;
    ChartRecorder* m_chart = nullptr;

    QAbstractButton* button(const char* name)
    {
        return m_view->findChild<QAbstractButton*>(QLatin1String(name));
    }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallSettledLine();
        HapticUserSetting().SyncWithMasterValue((unsigned char)2); // vibrate on touch
        ChartTimeUserSetting().Set(eChartTime::TwentySeconds);
        m_view = new ChartDisplay;
        m_view->resize(240, 280);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowActive(m_view));
        m_chart = m_view->recorder();
    }

    void cleanupTestCase() { delete m_view; }

    void init()
    {
        PowerLevelUserSetting().SyncWithMasterValue((unsigned char)5);
        m_line->takeWritten();
    }

    void severalResultsInOneTick_recordTheirPeak()
    {
        auto chart = quietRecorder();
        chart->NewHarmonicData(10, 40, 239);
        chart->NewHarmonicData(12, 200, 0);
        chart->NewHarmonicData(14, 90, 255);
        chart->advance();
        QCOMPARE(chart->count(), 1);
        QCOMPARE(chart->sample(ChartRecorder::eRadio2nd, 0), 83.0); // 200 * 100 / 239
        QCOMPARE(chart->sample(ChartRecorder::eRadio3rd, 0), 100.0);
        QCOMPARE(chart->sample(ChartRecorder::eRadioPower, 0), 70.0); // the latest power
    }

    void tickWithoutResults_recordsZeroHarmonicsAndTheLastPower()
    {
        auto chart = quietRecorder();
        chart->NewHarmonicData(16, 120, 60);
        chart->advance();
        chart->advance();
        QCOMPARE(chart->count(), 2);
        QCOMPARE(chart->sample(ChartRecorder::eRadio2nd, 0), 0.0);
        QCOMPARE(chart->sample(ChartRecorder::eRadio3rd, 0), 0.0);
        QCOMPARE(chart->sample(ChartRecorder::eRadioPower, 0), 80.0);
        QCOMPARE(chart->sample(ChartRecorder::eRadio2nd, 1), 50.0);
    }

    void history_holds300Samples_theOldestFallsOff()
    {
        auto chart = quietRecorder();
        const int ticks = ChartRecorder::kHistory + 5;
        for (int tick = 0; tick < ticks; ++tick) {
            chart->NewHarmonicData(0, tick, 0);
            chart->advance();
        }
        QCOMPARE(chart->count(), ChartRecorder::kHistory);
        // Ticks 0..4 fell off: the oldest kept is tick 5, the newest tick 304.
        QCOMPARE(chart->sample(ChartRecorder::eRadio2nd, ChartRecorder::kHistory - 1), percent(5));
        QCOMPARE(chart->sample(ChartRecorder::eRadio2nd, 1), percent(ticks - 2));
        // The newest sample sits at the left edge: the x axis runs from newest to oldest.
        QCOMPARE(chart->sampleTime(0), double(ChartRecorder::kHistory - 1 + ticks));
        QCOMPARE(chart->sampleTime(ChartRecorder::kHistory - 1), double(ticks));
        const QwtScaleDiv& x = chart->axisScaleDiv(QwtPlot::xBottom);
        QCOMPARE(x.lowerBound(), chart->sampleTime(0));
        QCOMPARE(x.upperBound(), chart->sampleTime(ChartRecorder::kHistory - 1));
    }

    // Readings per tick (2nd, 3rd), oldest first, and where the marker ends up.
    void marker_findsTheHighestOlderHarmonicSample_data()
    {
        QTest::addColumn<QVector<QPoint>>("ticks");
        QTest::addColumn<int>("position");
        QTest::addColumn<double>("value");
        // 120 is 50 %, 239 is 100 %, 48 is 20 %.
        QTest::newRow("oldest of equal maxima")
            << QVector<QPoint>{{120, 0}, {48, 0}, {120, 0}, {0, 0}} << 3 << 50.0;
        QTest::newRow("2nd over 3rd at one position")
            << QVector<QPoint>{{120, 120}, {0, 0}} << 1 << 50.0;
        QTest::newRow("3rd higher") << QVector<QPoint>{{48, 239}, {0, 0}} << 1 << 100.0;
        QTest::newRow("newest left out") << QVector<QPoint>{{48, 0}, {239, 239}} << 1 << 20.0;
        QTest::newRow("nothing older: newest 2nd")
            << QVector<QPoint>{{0, 0}, {120, 239}} << 0 << 50.0;
    }

    void marker_findsTheHighestOlderHarmonicSample()
    {
        QFETCH(QVector<QPoint>, ticks);
        QFETCH(int, position);
        QFETCH(double, value);
        auto chart = quietRecorder();
        chart->toggleChartLine(ChartRecorder::eRadio3rd); // a hidden trace still counts
        for (const QPoint& t : ticks) {
            chart->NewHarmonicData(20, t.x(), t.y());
            chart->advance();
        }
        QCOMPARE(chart->markerPosition(), QPointF(chart->sampleTime(position), value));
    }

    void traceToggles_flipTheirCurve_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("channel");
        QTest::newRow("RX2") << "btnRX2" << 0;
        QTest::newRow("RX3") << "btnRX3" << 1;
        QTest::newRow("power") << "btnPower" << 2;
    }

    void traceToggles_flipTheirCurve()
    {
        QFETCH(QString, name);
        QFETCH(int, channel);
        QAbstractButton* toggle = button(qPrintable(name));
        QVERIFY(m_chart->isCurveVisible(channel));
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!m_chart->isCurveVisible(channel));
        QVERIFY(!toggle->isChecked());
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(m_chart->isCurveVisible(channel));
        QVERIFY(!m_chart->isCurveVisible(ChartRecorder::kTripChannel));
    }

    // The kept picture follows every tick; a hidden chart keeps recording and is drawn
    // when shown; a chart whose history is one value throughout does not repaint, until a
    // trace is toggled.
    void ticks_keepThePictureCurrent_hiddenAndRestingOnesPaintNothing()
    {
        m_view->repaint(); // the power marker of the level init() set
        PaintCount canvasPaints(m_chart->canvas());
        // The test ticks: no tick of the clock's may fall due between, however slow the run.
        m_chart->setPlotDuration(1000000);
        const auto tick = [&](int i, int rx2, int rx3) {
            m_chart->NewHarmonicData(10 + i % 3, rx2, rx3);
            m_chart->advance();
        };
        for (int i = 0; i < 120; ++i) {
            tick(i, int(120 + 110 * std::sin(i * 0.2)), (i * 37) % 240);
            if (i % 7 == 0)
                QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));
        }
        QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));
        // The kept picture against one drawn afresh, as after a change of size.
        const QImage kept = m_chart->grab().toImage();
        const QSize size = m_chart->size();
        m_chart->resize(size + QSize(1, 0));
        m_chart->grab();
        m_chart->resize(size);
        QCOMPARE(m_chart->grab().toImage(), kept);

        m_chart->hide(); // as when another page of the stack shows
        canvasPaints.count = 0;
        for (int i = 0; i < 40; ++i)
            tick(i, 230 - i, i * 3);
        QCOMPARE(canvasPaints.count, 0);
        QVERIFY(!m_chart->isTicking());
        m_chart->show();
        QVERIFY(m_chart->isTicking());
        QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));

        for (int i = 0; i < ChartRecorder::kHistory; ++i)
            tick(0, 60, 30);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        canvasPaints.count = 0;
        for (int i = 0; i < 5; ++i) {
            tick(0, 60, 30);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        }
        QCOMPARE(canvasPaints.count, 0);
        QVERIFY(!m_chart->isTicking()); // at rest
        m_chart->toggleChartLine(ChartRecorder::eRadio3rd);
        QVERIFY(m_chart->isTicking());
        tick(0, 60, 30);
        QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));
        QVERIFY(canvasPaints.count > 0);
        m_chart->toggleChartLine(ChartRecorder::eRadio3rd);
        tick(0, 60, 30);
        QVERIFY(QuarnTest::ScreenMatchesWholePaint(m_view));
        m_chart->setPlotDuration(ChartRecorder::kStartPeriodMs);
    }

    // Hidden, the recorder has no timer running, yet records the ticks it would have made:
    // when a result comes, at a change of span and when it shows.
    void hiddenRecorder_makesTheTicksDueWithoutATimer()
    {
        ClockedRecorder chart;
        chart.setPlotDuration(30);
        chart.NewHarmonicData(10, 100, 50); // t = 0: before the first tick
        chart.now = 95;                     // ticks at 30, 60 and 90 fell due
        chart.NewHarmonicData(12, 200, 0);
        QCOMPARE(chart.count(), 3);
        QCOMPARE(chart.sample(ChartRecorder::eRadio2nd, 2), percent(100)); // the first tick
        QCOMPARE(chart.sample(ChartRecorder::eRadio2nd, 1), 0.0);
        QCOMPARE(chart.sample(ChartRecorder::eRadio2nd, 0), 0.0);
        QCOMPARE(chart.sample(ChartRecorder::eRadioPower, 0), 50.0);

        chart.now = 125; // the tick at 120 takes the reading of 95
        chart.setPlotDuration(200);
        QCOMPARE(chart.count(), 4);
        QCOMPARE(chart.sample(ChartRecorder::eRadio2nd, 0), percent(200));
        QCOMPARE(chart.sample(ChartRecorder::eRadioPower, 0), 60.0);

        chart.now = 120 + 2 * 200 + 10; // two ticks at the new span, made on showing
        chart.resize(240, 200);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        QCOMPARE(chart.count(), 6);
        QCOMPARE(chart.sampleTime(0), double(ChartRecorder::kHistory - 1 + 6));

        // A long spell away: the history is full, the axis moved by every tick.
        chart.hide();
        chart.now += 1000 * 200;
        chart.NewHarmonicData(12, 0, 0);
        QCOMPARE(chart.count(), ChartRecorder::kHistory);
        QCOMPARE(chart.sampleTime(0), double(ChartRecorder::kHistory - 1 + 1006));
        QCOMPARE(chart.sample(ChartRecorder::eRadio2nd, ChartRecorder::kHistory - 1), 0.0);
    }

    void plotTouches_cycleTheTimeSpan()
    {
        const QStringList titles = {"30 seconds", "1 minute", "10 seconds", "20 seconds"};
        const QList<int> periods = {100, 200, 30, 65};
        QCOMPARE(m_view->plotTitle(), QStringLiteral("20 seconds"));
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(m_chart->canvas(), Qt::LeftButton);
            QCOMPARE(m_view->plotTitle(), titles.at(i));
            QCOMPARE(m_chart->tickPeriod(), periods.at(i));
        }
        QCOMPARE(m_chart->footer().color(), QColor(Qt::white));
    }

    void chartTimeOutOfRange_changesNothing()
    {
        QSignalSpy newTime(m_view, &ChartDisplay::newTime);
        UserSettingsStore().setValue(ChartTimeUserSetting().Key(), 7);
        m_view->changeTimeDuration();
        QCOMPARE(newTime.count(), 0);
        QCOMPARE(m_view->plotTitle(), QStringLiteral("20 seconds"));
        QCOMPARE(m_chart->tickPeriod(), 65);
        ChartTimeUserSetting().Set(eChartTime::TwentySeconds);
    }

    void chartTimeChangedInTheStore_reachesThePlot()
    {
        ChartTimeUserSetting().Set(eChartTime::OneMinute); // as a profile load would
        QTRY_COMPARE(m_view->plotTitle(), QStringLiteral("1 minute"));
        QCOMPARE(m_chart->tickPeriod(), 200);
        ChartTimeUserSetting().Set(eChartTime::TwentySeconds);
        QTRY_COMPARE(m_view->plotTitle(), QStringLiteral("20 seconds"));
    }

    void powerBar_drawnFromItsOriginAtX5()
    {
        TxPowerModeUserSetting().SyncWithMasterValue((unsigned char)1);
        m_view->NewHarmonicData(20, 0, 0);
        const QVector<P> full = m_view->placements();
        QCOMPARE(full.first(), (P{PowerBarScreen::eSliderBar, 5, 25}));
        QVERIFY(full.contains(P{PowerBarScreen::ePowerScale, 38, 35}));
        QVERIFY(full.contains(P{PowerBarScreen::ePowerBottom, 15, 203}));
        QVERIFY(full.contains(P{PowerBarScreen::ePowerFill, 15, 201 - 164}));
        QVERIFY(full.contains(P{PowerBarScreen::ePowerTop, 15, 33}));
        QVERIFY(full.contains(P{PowerBarScreen::ePowerRule, 5, 201 - 41}));
        QVERIFY(full.contains(P{PowerBarScreen::eAutoPower, 43, 194 - 41}));
        TxPowerModeUserSetting().SyncWithMasterValue((unsigned char)0);
        m_view->NewHarmonicData(0, 0, 0);
        QCOMPARE(m_view->placements(), (QVector<P>{{PowerBarScreen::eSliderBar, 5, 25},
                                                   {PowerBarScreen::ePowerScale, 38, 35},
                                                   {PowerBarScreen::ePowerRule, 5, 160}}));
    }

    void touchAreas_data()
    {
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<int>("level"); // power level after the touch, from 5
        QTest::newRow("up, top-left") << QPoint(0, 25) << 6;
        QTest::newRow("up, last row") << QPoint(52, 117) << 6;
        QTest::newRow("down, first row") << QPoint(52, 118) << 4;
        QTest::newRow("down, bottom") << QPoint(30, 220) << 4;
        QTest::newRow("right of the bar") << QPoint(53, 100) << 5;
        QTest::newRow("above") << QPoint(30, 24) << 5;
        QTest::newRow("below") << QPoint(30, 221) << 5;
    }

    void touchAreas()
    {
        QFETCH(QPoint, at);
        QFETCH(int, level);
        QTest::mouseClick(m_view, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(int(PowerLevelUserSetting().Get()), level);
        const QList<QuarnBusMsg> sent = BusTraffic::split(m_line->takeWritten());
        QCOMPARE(sent.size(), level == 5 ? 0 : 2); // the pulse, then the level
        if (level != 5) {
            QCOMPARE(int(sent.at(0).destId), int(BusId::Key));
            QCOMPARE(int(sent.at(1).type), int(eSetPowerLevelMsg));
        }
    }

    void volumeButtons_actAsOnTheBarGraph()
    {
        MuteUserSetting().SyncWithMasterValue((unsigned char)0);
        QSignalSpy barStart(MiddleMan::Get(), &MiddleMan::volumeBarStart);
        QTest::mouseClick(button("btnVolumeDown"), Qt::LeftButton);
        QCOMPARE(int(MuteUserSetting().Get()), 1);
        QTest::mouseClick(button("btnVolumeUp"), Qt::LeftButton);
        QVERIFY(m_view->isVolumeMode());
        QCOMPARE(barStart.count(), 1);
        QVERIFY(button("btnVolumeUp")->autoRepeat()); // only the volume steps repeat
        MiddleMan::Get()->passIconBarStatus();
        QVERIFY(!m_view->isVolumeMode());
        QVERIFY(!button("btnVolumeDown")->autoRepeat());
    }
};

QUARN_GUI_TEST_MAIN(TestChartDisplay)
#include "tst_chartdisplay.moc"
