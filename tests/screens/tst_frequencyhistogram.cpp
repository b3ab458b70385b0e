#include "bus/msgShapes.h"
#include "screens/freqscan.h"
#include "screens/frequencyhistogram.h"
#include "settings/freqValueUserSetting.h"
#include "settings/regionUserSetting.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <qwt_plot_canvas.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>

#include <memory>

namespace {
constexpr quint32 MHz = 1000000;
constexpr quint8 kRegion = 33;

QByteArray fromHead(char src, QuarnBusMsgType type, const QByteArray& body, quint8 param = 0)
{
    return QuarnBusMsg(type, BusId::Tsc, char(param), body).serializeFrom(src);
}

QByteArray range(quint32 lowerMHz, quint32 upperMHz, quint16 base, quint8 steps)
{
    QByteArray body;
    appendLe32(body, lowerMHz * MHz);
    appendLe32(body, upperMHz * MHz);
    appendLe16(body, base);
    body.append(char(steps));
    return fromHead(BusId::Mst, eGetFreqRangeMsgResp, body);
}

QByteArray zone(quint32 lowerHz, quint32 upperHz, quint32 stepHz, quint8 flags, quint16 base,
                quint16 steps, quint8 region = kRegion)
{
    QByteArray body;
    appendLe32(body, lowerHz);
    appendLe32(body, upperHz);
    appendLe32(body, stepHz);
    body.append(char(region));
    body.append(char(flags));
    appendLe16(body, base);
    appendLe16(body, steps);
    return fromHead(BusId::Mst, eGetZoneMsgResp, body, region);
}

QByteArray systemData(quint8 mode, quint32 hz)
{
    QByteArray block("VEK0");
    block.append(char(mode));
    block.append(3, '\0');
    appendLe32(block, hz);
    block.append(15, '\0');
    block.append(char(kRegion)); // the settings service takes the region from it
    return fromHead(BusId::Mst, eGetSystemDataMsgResp, block);
}

QByteArray ambient(quint8 mode, int channel, const QVector<int>& levels)
{
    QByteArray body;
    body.append(char(mode));
    body.append(char(channel));
    for (int level : levels)
        body.append(char(level));
    return fromHead(BusId::Rad, eQuarnGetAmbientResponseMsg, body);
}

QVector<int> flat(int count, int level)
{
    return QVector<int>(count, level);
}

// A move with the finger down, as the panel reports a drag.
void drag(QWidget* canvas, const QPoint& to)
{
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas, &move);
}
} // namespace

class TestFrequencyHistogram : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    std::unique_ptr<FrequencyHistogram> m_view;

    FreqScan* plot(int harmonic) const { return m_view->plot(harmonic); }
    template <typename T = QAbstractButton> T* child(const char* name) const
    {
        return m_view->findChild<T*>(QLatin1String(name));
    }
    // What the screen sent; the settings service's own traffic left out.
    QStringList sent()
    {
        QStringList screen;
        for (const QString& msg : BusTraffic::take(m_line)) {
            if (!msg.startsWith(QLatin1String("86 ")) && !msg.startsWith(QLatin1String("142 ")))
                screen.append(msg);
        }
        return screen;
    }

    // Band 2400..2483 MHz in 84 one-MHz steps, the head at f.
    void band(quint32 hz = 2404 * MHz)
    {
        m_line->feed(systemData(1, hz));
        m_line->feed(zone(2400 * MHz, 2483 * MHz, MHz, 0, 2400, 84));
        m_line->feed(range(2400, 2483, 2400, 84));
        m_line->takeWritten();
    }

    // An automatic scan as the head runs it, each channel's levels twice.
    void autoScan(const QVector<int> levels[3], quint32 headHz = 2404 * MHz)
    {
        m_line->feed(systemData(FreqScan::kHeadAutoScanning, headHz));
        for (int pass = 0; pass < 2; ++pass) {
            for (int channel = 0; channel < 3; ++channel)
                m_line->feed(ambient(1, channel, levels[channel]));
        }
        m_line->feed(systemData(1, headHz)); // back in search, still at the old frequency
    }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallSettledLine();
        RegionUserSetting().SyncWithMasterValue((unsigned char)kRegion);
        qRegisterMetaType<u_int32_t>("u_int32_t");
    }

    void init()
    {
        m_view = std::make_unique<FrequencyHistogram>();
        m_view->resize(240, 280);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        m_line->takeWritten();
    }

    void cleanup() { m_view.reset(); }

    void rangeAboveTheUpperLimit_fallsBackToTheLowerLimit()
    {
        m_line->feed(systemData(1, 2480 * MHz));
        m_line->feed(range(2404, 2472, 2400, 84));
        for (int h = 0; h < 3; ++h) {
            QCOMPARE(plot(h)->currentFrequency(), 2404 * MHz);
            QCOMPARE(plot(h)->markerX(), 4.0);
        }
        QCOMPARE(FreqValueUserSetting().Get(), 2404 * MHz);
        QCOMPARE(child<QLabel>("lblFreqVal")->text(), QStringLiteral("2.404 GHz"));
        QCOMPARE(child<QLabel>("lblStartFreq")->text(), QStringLiteral("2.400"));
        QCOMPARE(child<QLabel>("lblStopFreq")->text(), QStringLiteral("2.483"));
    }

    void rangeBelow1000MHz_isLabelledInMHz()
    {
        m_line->feed(systemData(1, 915 * MHz));
        m_line->feed(range(902, 928, 840, 121));
        QCOMPARE(child<QLabel>("lblStartFreq")->text(), QStringLiteral("840.0"));
        QCOMPARE(child<QLabel>("lblStopFreq")->text(), QStringLiteral("960.0"));
        QCOMPARE(plot(FreqScan::eTransmit)->markerX(), 75.0);
        QCOMPARE(child<QLabel>("lblFreqVal")->text(), QStringLiteral("915.00 MHz"));
    }

    void ambientData_quietestWindow_laterWinsATie_lastWindowStartsBelowLMinus6()
    {
        band();
        // Windows start at 0..3 only; 1, 2 and 3 tie at 30, and window 4 (also 30) is
        // past the end of the search.
        const QVector<int> levels = {90, 30, 30, 30, 30, 30, 30, 30, 30, 0};
        m_line->feed(ambient(1, FreqScan::eRx2, levels));
        QCOMPARE(plot(FreqScan::eRx2)->markerX(), 4.0); // first data: the marker stays
        m_line->feed(ambient(1, FreqScan::eRx2, levels));
        QCOMPARE(plot(FreqScan::eRx2)->markerX(), 6.0); // window 3, its middle
        QCOMPARE(plot(FreqScan::eRx2)->barCount(), 11);
        QCOMPARE(plot(FreqScan::eRx2)->barHeight(0), 90.0 * 12);
        QCOMPARE(plot(FreqScan::eRx2)->barHeight(9), 0.0);
        QCOMPARE(plot(FreqScan::eRx2)->barHeight(10), 1.0);
        // The other plots keep the bar count in step, at height 1.
        QCOMPARE(plot(FreqScan::eTransmit)->barCount(), 11);
        QCOMPARE(plot(FreqScan::eTransmit)->barHeight(3), 1.0);
    }

    void ambientData_shortPayloads_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("bars");
        QTest::newRow("channel byte only") << 0 << 1;
        QTest::newRow("one level") << 1 << 2;
    }

    void ambientData_shortPayloads()
    {
        QFETCH(int, levels);
        QFETCH(int, bars);
        m_line->feed(ambient(0, FreqScan::eRx3, flat(levels, 40)));
        QCOMPARE(plot(FreqScan::eRx3)->barCount(), bars);
        QCOMPARE(plot(FreqScan::eRx3)->barHeight(bars - 1), 1.0);
        m_line->feed(fromHead(BusId::Rad, eQuarnGetAmbientResponseMsg, QByteArray(1, '\0')));
        QCOMPARE(plot(FreqScan::eTransmit)->barCount(), 0); // no channel byte: no bars
    }

    // Levels per channel; the bar the scan picks.
    void autoScan_picksTheQuietestBarOfAllThree_data()
    {
        QTest::addColumn<QVector<int>>("transmit");
        QTest::addColumn<QVector<int>>("rx2");
        QTest::addColumn<QVector<int>>("rx3");
        QTest::addColumn<int>("bar");
        QVector<int> t = flat(84, 60), r2 = flat(84, 60), r3 = flat(84, 60);
        t[30] = r2[30] = r3[30] = 20;
        r2[31] = 0;
        QTest::newRow("quietest sum") << t << r2 << r3 << 30;
        t = flat(84, 60), r2 = flat(84, 60), r3 = flat(84, 60);
        for (int i : {17, 40}) // equal sums: the first
            t[i] = r2[i] = r3[i] = 10;
        QTest::newRow("equal sums") << t << r2 << r3 << 17;
        // Every sum 1000 or more: bar 0.
        t = flat(84, 100), r2 = flat(84, 100), r3 = flat(84, 100);
        t[0] = r2[1] = r3[2] = 0;
        QTest::newRow("all loud") << t << r2 << r3 << 0;
        // Fewer levels than the range has steps: only the levels the plots hold count,
        // not the stub bar after them (height 1 in all three) nor anything beyond.
        t = flat(20, 60), r2 = flat(20, 60), r3 = flat(20, 60);
        t[2] = r2[5] = r3[8] = 30; // each plot's floor: height 0
        t[12] = r2[12] = r3[12] = 45;
        QTest::newRow("short data") << t << r2 << r3 << 12;
    }

    void autoScan_picksTheQuietestBarOfAllThree()
    {
        QFETCH(QVector<int>, transmit);
        QFETCH(QVector<int>, rx2);
        QFETCH(QVector<int>, rx3);
        QFETCH(int, bar);
        band();
        QTest::mouseClick(child("btnAutoScan"), Qt::LeftButton);
        QVERIFY(m_view->isAutoScanRequested());
        QCOMPARE(sent(), QStringList{"34 p0 [06]"});
        const QVector<int> levels[3] = {transmit, rx2, rx3};
        autoScan(levels);

        const quint32 chosen = (2400 + quint32(bar)) * MHz;
        QCOMPARE(FreqValueUserSetting().Get(), chosen);
        QCOMPARE(m_view->markerPosition(), bar);
        QVERIFY(!m_view->isAutoScanRequested());
        // The block that ended the scan carries the head's frequency from before the
        // choice: it must not pull the marker back.
        QCOMPARE(plot(FreqScan::eTransmit)->currentFrequency(), chosen);
        for (int h = 0; h < 3; ++h)
            QCOMPARE(plot(h)->markerX(), double(bar));
        // Then the transmit channel's scan, as from its button.
        const QStringList traffic = sent();
        QVERIFY(traffic.contains(QStringLiteral("34 p0 [07]")));
        QVERIFY(child("btnTx1")->isChecked());
        QVERIFY(!child("btnRx2")->isChecked());
    }

    void autoScanNotRequested_leavesTheFrequency()
    {
        band();
        const QVector<int> levels[3] = {flat(84, 60), flat(84, 60), flat(84, 0)};
        autoScan(levels);
        QCOMPARE(FreqValueUserSetting().Get(), 2404 * MHz);
        QCOMPARE(sent(), QStringList());
    }

    void screenModes_followTheButtons()
    {
        band();
        m_view->initializeFrequencyValue();
        QCOMPARE(sent(), (QStringList{"34 p0 [07]", "50 p0 [00 21 4a 8f]"}));
        QVERIFY(!m_view->isAutoFrequency());
        QTest::mouseClick(child("btnRx2"), Qt::LeftButton);
        QCOMPARE(sent(), QStringList{"34 p0 [08]"});
        QCOMPARE(child<QLabel>("lblStartFreq")->text(), QStringLiteral("4.800"));
        QCOMPARE(child<QLabel>("lblStopFreq")->text(), QStringLiteral("4.966"));
        QVERIFY(child("btnRx2")->isChecked() && !child("btnTx1")->isChecked());
        QTest::mouseClick(child("btnRx3"), Qt::LeftButton);
        QCOMPARE(sent(), QStringList{"34 p0 [09]"});
        QCOMPARE(child<QLabel>("lblStopFreq")->text(), QStringLiteral("7.449"));
        QTest::mouseClick(child("btnAutoScan"), Qt::LeftButton);
        QCOMPARE(sent(), QStringList{"34 p0 [06]"});
        for (const char* name : {"btnTx1", "btnRx2", "btnRx3"})
            QVERIFY(child(name)->isChecked());
        QCOMPARE(child<QLabel>("lblStopFreq")->text(), QStringLiteral("2.483"));

        QSignalSpy home(m_view.get(), &FrequencyHistogram::homeSelected);
        QTest::mouseClick(child("btnHome"), Qt::LeftButton);
        QCOMPARE(sent(), (QStringList{"46 p0 [01]", "34 p0 [ff]"})); // frequency mode auto
        QCOMPARE(home.count(), 1);
        QVERIFY(!m_view->isAutoScanRequested());
    }

    void zoneWithOneFrequency_locksTheScreen()
    {
        m_line->feed(zone(869525000, 869525000, 25000, 4, 840, 121));
        QVERIFY(child<QLabel>("lblCElocked")->isVisibleTo(m_view.get()));
        QVERIFY(!child<QLabel>("lblFreqVal")->isVisibleTo(m_view.get()));
        QVERIFY(!child("btnAutoScan")->isVisibleTo(m_view.get()));
        QCOMPARE(plot(FreqScan::eTransmit)->markerWidth(), 2); // narrow marker
        for (int h = 0; h < 3; ++h)
            QVERIFY(plot(h)->isLocked());
        m_line->takeWritten();

        FreqScan* transmit = plot(FreqScan::eTransmit);
        QSignalSpy picked(transmit, &FreqScan::setFreqValue);
        QTest::mouseClick(transmit->canvas(), Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
        drag(transmit->canvas(), QPoint(90, 10));
        QCOMPARE(picked.count(), 0);
        QCOMPARE(sent(), QStringList());

        // Another region's zone is not ours; a zone with a span unlocks.
        m_line->feed(zone(2400 * MHz, 2483 * MHz, MHz, 0, 2400, 84, kRegion + 1));
        QVERIFY(transmit->isLocked());
        m_line->feed(zone(2400 * MHz, 2483 * MHz, MHz, 0, 2400, 84));
        QVERIFY(!transmit->isLocked());
        QVERIFY(!child<QLabel>("lblCElocked")->isVisibleTo(m_view.get()));
        QVERIFY(child("btnAutoScan")->isVisibleTo(m_view.get()));
    }

    void zoneMarker_coversAboutOneBar_andSurvivesAZoneWithoutSteps_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("width");
        QTest::newRow("20 steps") << 20 << (190 + 1) * 12 / 10 / 20;
        QTest::newRow("84 steps") << 84 << 2;
        QTest::newRow("no steps") << 0 << 2;
    }

    void zoneMarker_coversAboutOneBar_andSurvivesAZoneWithoutSteps()
    {
        QFETCH(int, steps);
        QFETCH(int, width);
        m_line->feed(zone(2400 * MHz, 2483 * MHz, MHz, 0, 2400, quint16(0x300 + steps)));
        QCOMPARE(plot(FreqScan::eRx3)->width(), 190);
        QCOMPARE(plot(FreqScan::eRx3)->markerWidth(), width);
        QCOMPARE(int(plot(FreqScan::eRx3)->binCountValue()), steps); // the low byte only
    }

    void tapBeyondTheLastBar_selectsTheLastStep()
    {
        band();
        m_line->feed(ambient(0, FreqScan::eRx2, flat(84, 30))); // 85 bars
        FreqScan* rx2 = plot(FreqScan::eRx2);
        QTest::mouseClick(rx2->canvas(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(rx2->canvas()->width() - 1, 10));
        QCOMPARE(rx2->markerX(), 83.0);
        QCOMPARE(plot(FreqScan::eTransmit)->markerX(), 83.0);
        QCOMPARE(FreqValueUserSetting().Get(), 2483 * MHz);
        QVERIFY(!m_view->isAutoFrequency());
    }

    void dragAfterAnOutsideMove_isIgnoredOnce()
    {
        band();
        FreqScan* rx3 = plot(FreqScan::eRx3);
        QSignalSpy picked(rx3, &FreqScan::setFreqValue);
        m_view->autoMarkerPosition(50);
        QCOMPARE(rx3->markerX(), 50.0);
        drag(rx3->canvas(), QPoint(20, 10));
        QCOMPARE(picked.count(), 0);
        QCOMPARE(rx3->markerX(), 50.0);
        drag(rx3->canvas(), QPoint(20, 10));
        QCOMPARE(picked.count(), 1);
        QVERIFY(rx3->markerX() < 50);
    }

    void arrows_stepWithinTheLimits()
    {
        band(2482 * MHz);
        m_view->initializeFrequencyValue();
        QTest::mouseClick(child("btnRight"), Qt::LeftButton);
        QCOMPARE(FreqValueUserSetting().Get(), 2483 * MHz);
        QCOMPARE(m_view->markerPosition(), 83);
        QTest::mouseClick(child("btnAutoScan"), Qt::LeftButton);
        QVERIFY(m_view->isAutoFrequency());
        QTest::mouseClick(child("btnRight"), Qt::LeftButton); // at the limit: no step
        QCOMPARE(FreqValueUserSetting().Get(), 2483 * MHz);
        QVERIFY(!m_view->isAutoFrequency());
        QTest::mouseClick(child("btnLeft"), Qt::LeftButton);
        QCOMPARE(FreqValueUserSetting().Get(), 2482 * MHz);
        QCOMPARE(plot(FreqScan::eRx2)->markerX(), 82.0);
    }

    void headFrequency_movesTheMarkers_withoutSettingItAgain()
    {
        band();
        QSignalSpy picked(plot(FreqScan::eTransmit), &FreqScan::setFreqValue);
        QByteArray body;
        appendLe32(body, 2450 * MHz);
        m_line->feed(fromHead(BusId::Mst, eGetFreqValueMsgResp, body));
        QCOMPARE(plot(FreqScan::eRx2)->markerX(), 50.0);
        QCOMPARE(picked.count(), 0);
        m_line->feed(systemData(FreqScan::kHeadAutoScanning, 2460 * MHz)); // not followed
        QCOMPARE(plot(FreqScan::eRx3)->currentFrequency(), 2450 * MHz);
        m_line->feed(systemData(1, 2460 * MHz));
        QCOMPARE(plot(FreqScan::eRx3)->currentFrequency(), 2460 * MHz);
        QCOMPARE(plot(FreqScan::eTransmit)->markerX(), 60.0);
    }

    void headType_asksForTheZoneOfTheRegion()
    {
        m_view->setHeadType(eHeadTypeZoned);
        QCOMPARE(sent(), QStringList{"156 p33 []"});
        m_view->setHeadType(eHeadTypeId(4));
        QCOMPARE(sent(), QStringList());
    }
};

QUARN_GUI_TEST_MAIN(TestFrequencyHistogram)
#include "tst_frequencyhistogram.moc"
