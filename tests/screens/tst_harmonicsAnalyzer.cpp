#include "bus/quarnBus.h"
#include "screens/harmonicsAnalyzer.h"
#include "settings/tripLevelUserSetting.h"
#include "settings/userSettingsStore.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QSignalSpy>

namespace {
QByteArray result(int tx, int rx2, int rx3, int size = 51)
{
    QByteArray body(size, 0);
    if (size > 47)
        body[47] = char(tx);
    if (size > 49)
        body[49] = char(rx2);
    if (size > 50)
        body[50] = char(rx3);
    return QuarnBusMsg(eQuarnGetResultResponseMsg, BusId::Tsc, 0, body).serializeFrom(BusId::Rad);
}

QByteArray powerLevelReport(const QByteArray& body)
{
    return QuarnBusMsg(eGetPowerLevelMsgRespToSet, BusId::Tsc, 0, body).serializeFrom(BusId::Mst);
}
} // namespace

class TestHarmonicsAnalyzer : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    HarmonicsAnalyzer* m_analyzer = nullptr;

    void setTripLevel(int level)
    {
        TripLevelUserSetting().SyncWithMasterValue((unsigned char)level);
    }

private slots:
    void initTestCase()
    {
        m_line = QuarnTest::InstallFakeLine();
        m_analyzer = HarmonicsAnalyzer::Get();
    }

    void classify_data()
    {
        QTest::addColumn<int>("trip");
        QTest::addColumn<int>("rx2");
        QTest::addColumn<int>("rx3");
        QTest::addColumn<int>("expected");
        QTest::newRow("trip 10, 128 over 127")
            << 10 << 128 << 3 << int(HarmonicsAnalyzer::eSemiconductor);
        QTest::newRow("trip 10, at threshold")
            << 10 << 127 << 3 << int(HarmonicsAnalyzer::eIndeterminate);
        QTest::newRow("trip 1, rx2 13") << 1 << 13 << 12 << int(HarmonicsAnalyzer::eSemiconductor);
        QTest::newRow("trip 1, rx3 13") << 1 << 12 << 13 << int(HarmonicsAnalyzer::eCorrosive);
        QTest::newRow("trip 1, rx3 at threshold")
            << 1 << 0 << 12 << int(HarmonicsAnalyzer::eIndeterminate);
        QTest::newRow("equal and strong")
            << 1 << 200 << 200 << int(HarmonicsAnalyzer::eIndeterminate);
        QTest::newRow("trip 0 never classifies")
            << 0 << 255 << 0 << int(HarmonicsAnalyzer::eIndeterminate);
        QTest::newRow("trip 7 threshold 88") << 7 << 10 << 89 << int(HarmonicsAnalyzer::eCorrosive);
    }

    void classify()
    {
        QFETCH(int, trip);
        QFETCH(int, rx2);
        QFETCH(int, rx3);
        QFETCH(int, expected);
        QCOMPARE(int(HarmonicsAnalyzer::Classify(rx2, rx3, trip)), expected);
    }

    void results_emitReadingsEachTime_andClassificationOnChange()
    {
        setTripLevel(10);
        QSignalSpy data(m_analyzer, &HarmonicsAnalyzer::HarmonicData);
        QSignalSpy semi(m_analyzer, &HarmonicsAnalyzer::SemiconductorDetected);
        for (int i = 0; i < 10; ++i)
            m_line->feed(result(12, 200, 30));
        QCOMPARE(data.count(), 10);
        QCOMPARE(data.last(), (QList<QVariant>{12, 200, 30}));
        QCOMPARE(semi.count(), 1);
    }

    void transmitterOff_zeroesHarmonics()
    {
        QSignalSpy data(m_analyzer, &HarmonicsAnalyzer::HarmonicData);
        QSignalSpy indeterminate(m_analyzer, &HarmonicsAnalyzer::IndeterminateStateDetected);
        m_line->feed(result(0, 200, 0));
        QCOMPARE(data.last(), (QList<QVariant>{0, 0, 0}));
        QCOMPARE(indeterminate.count(), 1);
    }

    void tripLevelChange_takesEffectWithNextResult()
    {
        setTripLevel(10);
        m_line->feed(result(10, 100, 0)); // below 127: indeterminate
        QSignalSpy semi(m_analyzer, &HarmonicsAnalyzer::SemiconductorDetected);
        setTripLevel(5);
        m_line->feed(result(10, 100, 0)); // above 63
        QCOMPARE(semi.count(), 1);
    }

    void scanMode_silencesResults_andReannouncesAfterwards()
    {
        setTripLevel(10);
        m_line->feed(result(10, 200, 0));
        QSignalSpy data(m_analyzer, &HarmonicsAnalyzer::HarmonicData);
        QSignalSpy semi(m_analyzer, &HarmonicsAnalyzer::SemiconductorDetected);
        QSignalSpy entered(m_analyzer, &HarmonicsAnalyzer::EnteredFreqScanMode);
        QSignalSpy exited(m_analyzer, &HarmonicsAnalyzer::ExitedFreqScanMode);

        m_analyzer->SetFreqScanModeOn();
        QCOMPARE(entered.count(), 1);
        QCOMPARE(m_analyzer->lastClassification(), int(HarmonicsAnalyzer::eFreqScan));
        m_line->feed(result(10, 200, 0));
        QCOMPARE(data.count(), 0);

        m_analyzer->SetFreqScanModeOff();
        QCOMPARE(exited.count(), 1);
        m_line->feed(result(10, 200, 0));
        QCOMPARE(data.count(), 1);
        QCOMPARE(semi.count(), 1);
    }

    void powerLevelZero_clearsReadings_evenInScanMode()
    {
        QSignalSpy data(m_analyzer, &HarmonicsAnalyzer::HarmonicData);
        m_analyzer->SetFreqScanModeOn();
        m_line->feed(powerLevelReport("\x03"));
        QCOMPARE(data.count(), 0);
        m_line->feed(powerLevelReport(QByteArray(1, 0)));
        m_line->feed(powerLevelReport(QByteArray()));
        QCOMPARE(data.count(), 2);
        QCOMPARE(data.at(0), (QList<QVariant>{0, 0, 0}));
        m_analyzer->SetFreqScanModeOff();
    }

    void shortResult_readsMissingBytesAsZero()
    {
        QSignalSpy data(m_analyzer, &HarmonicsAnalyzer::HarmonicData);
        m_line->feed(result(9, 77, 0, 50)); // no byte 50
        QCOMPARE(data.last(), (QList<QVariant>{9, 77, 0}));
        m_line->feed(result(0, 0, 0, 10));
        QCOMPARE(data.last(), (QList<QVariant>{0, 0, 0}));
    }
};

QUARN_TEST_MAIN(TestHarmonicsAnalyzer)
#include "tst_harmonicsAnalyzer.moc"
