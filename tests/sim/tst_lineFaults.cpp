#include "bus/systemDataMsgs.h"
#include "sim/lineFaults.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

namespace {

QByteArray resultFrame()
{
    return QuarnBusMsg(eQuarnGetResultResponseMsg, BusId::Tsc, 0, QByteArray(51, 'r'))
        .serializeFrom(BusId::Rad);
}

} // namespace

class TestLineFaults : public QObject
{
    Q_OBJECT
private slots:
    void eachFault_damagesTheFrameItsWay_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* fault : {"truncate", "length", "noise", "reset"})
            QTest::newRow(fault) << QString::fromLatin1(fault);
    }

    void eachFault_damagesTheFrameItsWay()
    {
        QFETCH(QString, fault);
        LineFaultPlan plan;
        (fault == "truncate" ? plan.truncatePercent
         : fault == "length" ? plan.lengthPercent
         : fault == "noise"  ? plan.noisePercent
                             : plan.resetPercent) = 100;
        LineFaults faults(plan, 7);
        const QByteArray frame = resultFrame();
        for (int n = 0; n < 50; ++n) {
            const LineFaults::Outcome out = faults.apply(frame);
            QCOMPARE(out.frameIntact, fault == "noise");
            QCOMPARE(out.reset, fault == "reset");
            if (fault == "noise") {
                QVERIFY(out.bytes.size() > frame.size());
                QVERIFY(out.bytes.endsWith(frame));
            } else if (fault == "length") {
                QCOMPARE(out.bytes.size(), frame.size());
                QVERIFY(out.bytes.at(6) != frame.at(6));
            } else {
                const QByteArray cut = fault == "reset" ? out.bytes.chopped(1) : out.bytes;
                QVERIFY(cut.size() < frame.size());
                QVERIFY(frame.startsWith(cut));
            }
        }
    }

    void harshLine_programGetsEveryIntactFrame()
    {
        SimOptions options = SimHarness::fastOptions();
        options.seed = 11;
        options.faults.line = {10, 10, 10, 10, 0};
        SimHarness h(options);
        const int requests = 300;
        for (int i = 0; i < requests; ++i)
            h.send(GetSystemDataMsg());
        QTRY_COMPARE_WITH_TIMEOUT(h.sim().port()->counters().received, requests, 10000);
        const SimPort::Counters c = h.sim().port()->counters();
        const LineFaults::Counters f = h.sim().port()->lineCounters();
        QVERIFY(f.truncated > 0 && f.lengthDamaged > 0 && f.noiseBursts > 0 && f.resets > 0);
        QVERIFY(c.intact < c.sent);
        QTRY_COMPARE_WITH_TIMEOUT(h.received(eGetSystemDataMsgResp).size(), c.intact, 10000);
    }

    void gateCycle_closesAndReopensTheProgramsSendGate()
    {
        SimHarness h;
        GateCycler cycler(h.sim().port(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(h.sent(eBusSendGateMsg).size(), 2, 3000);
        QCOMPARE(h.sent(eBusSendGateMsg).at(0).param, quint8(1));
        QCOMPARE(h.sent(eBusSendGateMsg).at(1).param, quint8(0));
        QCOMPARE(cycler.closings(), 1);
    }
};

QUARN_TEST_MAIN(TestLineFaults)
#include "tst_lineFaults.moc"
