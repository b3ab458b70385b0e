#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"
#include "bus/systemDataMsgs.h"
#include "sim/frameLog.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

#include <QBuffer>
#include <QElapsedTimer>

namespace {

SimOptions withFaults(const FaultPlan& faults, quint32 seed = 1)
{
    SimOptions options = SimHarness::fastOptions();
    options.faults = faults;
    options.seed = seed;
    return options;
}

// Asks MST for its system data n times and returns how many answers came back.
int answeredOf(SimHarness& h, int n)
{
    for (int i = 0; i < n; ++i)
        h.send(GetSystemDataMsg());
    // The head answers as it reads; once it has read all, what it wrote is on its way.
    if (!QTest::qWaitFor([&] { return h.sim().port()->counters().received == n; }, 5000))
        return -1;
    const int onLine = h.sim().port()->counters().sent;
    if (!QTest::qWaitFor([&] { return h.received(eGetSystemDataMsgResp).size() >= onLine; }, 5000))
        return -1;
    return h.received(eGetSystemDataMsgResp).size();
}

} // namespace

class TestSimPort : public QObject
{
    Q_OBJECT
private slots:
    void everyControllerId_isAccepted_andLogged()
    {
        SimHarness h;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        FrameLog log(&out);
        h.sim().port()->setLog(&log);
        for (char id : {BusId::Mst, BusId::Rad, BusId::Hcc, BusId::Key, BusId::Bbm})
            h.send(QuarnBusMsg(eStatusRequestMsg, id));
        QTRY_COMPARE(h.sim().port()->counters().received, 5);
        const QByteArray text = out.data();
        for (const char* device : {"MST", "RAD", "HCC", "KEY", "BBM"})
            QVERIFY(text.contains(QByteArray(device) + " StatusRequestMsg(0) param 0 body -\n"));
    }

    void dropAll_sendsNothing()
    {
        FaultPlan faults;
        faults.dropPercent = 100;
        SimHarness h(withFaults(faults));
        QCOMPARE(answeredOf(h, 10), 0);
        QCOMPARE(h.sim().port()->counters().dropped, 10);
    }

    void dropShare_losesAboutThatShare_sameForSameSeed()
    {
        FaultPlan faults;
        faults.dropPercent = 50;
        int answered[2] = {};
        for (int& count : answered) {
            SimHarness h(withFaults(faults, 7));
            count = answeredOf(h, 60);
        }
        QCOMPARE(answered[0], answered[1]);
        QVERIFY2(answered[0] > 15 && answered[0] < 45, qPrintable(QString::number(answered[0])));
    }

    void corruptAll_failsTheProgramsChecksum()
    {
        FaultPlan faults;
        faults.corruptPercent = 100;
        SimHarness h(withFaults(faults));
        QuarnTest::LogCapture log;
        h.send(GetSystemDataMsg());
        QTRY_VERIFY(log.contains("Received Msg Checksum failed"));
        QCOMPARE(h.sim().port()->counters().corrupted, 1);
        QVERIFY(h.received(eGetSystemDataMsgResp).isEmpty());
    }

    void delay_holdsEveryAnswerBack_inOrder()
    {
        FaultPlan faults;
        faults.delayMs = 300;
        SimHarness h(withFaults(faults));
        h.ask(GetSystemDataMsg(), eGetSystemDataMsgResp); // the line is known to be open now
        QElapsedTimer clock;
        clock.start();
        h.send(GetSelectIdMsg(0));
        h.send(GetSelectIdMsg(1));
        QCOMPARE(h.waitFor(eGetSelectIdMsg, 2).size(), 2);
        QVERIFY(clock.elapsed() >= 290);
        QCOMPARE(h.received(eGetSelectIdMsg).at(0).param, quint8(0));
        QCOMPARE(h.received(eGetSelectIdMsg).at(1).param, quint8(1));
    }

    void silentController_neverAnswers_othersDo()
    {
        FaultPlan faults;
        faults.silent.set(quint8(BusId::Hcc));
        SimHarness h(withFaults(faults));
        h.send(StatusRequestMsg(BusId::Hcc));
        QVERIFY(h.ask(StatusRequestMsg(BusId::Key), eGetSelectIdMsg, BusId::Key).type ==
                eGetSelectIdMsg);
        QVERIFY(h.received(eGetSelectIdMsg, BusId::Hcc).isEmpty());
        QCOMPARE(h.sim().port()->counters().silenced, 1);
    }
};

QUARN_TEST_MAIN(TestSimPort)
#include "tst_simPort.moc"
