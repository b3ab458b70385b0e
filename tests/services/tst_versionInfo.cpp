#include "bus/quarnBus.h"
#include "services/versionInfo.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

namespace {

QByteArray answer(char src, quint8 param, const QByteArray& text)
{
    return QuarnBusMsg(eGetSelectIdMsg, BusId::Tsc, char(param), text).serializeFrom(src);
}

} // namespace

class TestVersionInfo : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
    }

    void init() { m_line->takeWritten(); }

    void chain_asksEveryProcessorAndStatus_oneAnswerAtATime()
    {
        VersionInfo info;
        QCOMPARE(BusTraffic::take(m_line), QStringList{"1 p0 []"});
        // Each answer sends the next request; the status requests ride along.
        const QList<QPair<quint8, QStringList>> steps = {
            {0, {"1 p1 []"}},
            {1, {"1 p2 []"}},
            {2, {"1 p3 []", "to 4b: 0 p0 []"}},
            {3, {"1 p5 []", "to 4a: 0 p0 []"}},
            {5, {"1 p4 []", "to 47: 0 p0 []"}},
            {4, {}},
        };
        for (const auto& step : steps) {
            m_line->feed(answer(BusId::Mst, step.first, "CPU " + QByteArray::number(step.first)));
            QCOMPARE(BusTraffic::take(m_line), step.second);
        }
        for (int cpu = 0; cpu < VersionInfo::kCpuCount; ++cpu)
            QCOMPARE(info.GetCpuVersion(eSelectCpuId(cpu)), QStringLiteral("CPU %1").arg(cpu));
    }

    void masterTexts_areSimplified_statusTextsKeptAsReceived()
    {
        VersionInfo info;
        m_line->feed(answer(BusId::Mst, eSelectCpuHdc, QByteArray("  HDC\t 1.0.7  \0junk", 19)));
        QCOMPARE(info.GetCpuVersion(eSelectCpuHdc), QStringLiteral("HDC 1.0.7"));

        m_line->feed(answer(BusId::Hcc, 9, QByteArray("HCC 2.0.5  HWID: 04 RUN \0x", 26)));
        m_line->feed(answer(BusId::Key, 0, "KEY 1.1.3  HWID: 03 RUN"));
        m_line->feed(answer(BusId::Rad, 0, " RAD  2 "));
        QCOMPARE(info.GetHeadStatus(), QStringLiteral("HCC 2.0.5  HWID: 04 RUN "));
        QCOMPARE(info.GetHeadHardwareCode(), QStringLiteral("04"));
        QCOMPARE(info.GetKeypadHardwareCode(), QStringLiteral("03"));
        QCOMPARE(info.GetRadioStatus(), QStringLiteral(" RAD  2 "));
    }

    void unknownCpuOrSource_isLogged_andStoresNothing_data()
    {
        QTest::addColumn<char>("src");
        QTest::addColumn<int>("param");
        QTest::addColumn<QString>("line");
        QTest::newRow("cpu 6") << BusId::Mst << 6
                               << "Unknown cpu Id received in version info handling";
        QTest::newRow("from BBM") << BusId::Bbm << 0
                                  << "Unexpected Source Id received in version info handling";
    }

    void unknownCpuOrSource_isLogged_andStoresNothing()
    {
        QFETCH(char, src);
        QFETCH(int, param);
        QFETCH(QString, line);
        VersionInfo info;
        m_line->takeWritten();
        QuarnTest::LogCapture log;
        m_line->feed(answer(src, quint8(param), "X 9.9.9"));
        QCOMPARE(log.lines(), QStringList{line});
        QVERIFY(m_line->written().isEmpty()); // the chain stands where it was
        for (int cpu = 0; cpu < VersionInfo::kCpuCount; ++cpu)
            QVERIFY(info.GetCpuVersion(eSelectCpuId(cpu)).isEmpty());
    }

    void tscVersion_isBuiltIn()
    {
        QCOMPARE(VersionInfo::GetTscVersion(), QStringLiteral("TSC 1.0.468"));
    }
};

QUARN_TEST_MAIN(TestVersionInfo)
#include "tst_versionInfo.moc"
