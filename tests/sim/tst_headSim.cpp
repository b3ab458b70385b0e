#include "bus/deviceMsgs.h"
#include "bus/settingMsgs.h"
#include "sim/ptyDevice.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

#include <QSignalSpy>

class TestHeadSim : public QObject
{
    Q_OBJECT
private slots:
    void reset_ofTheKeypadOnly_powerCyclesTheUnit_data()
    {
        QTest::addColumn<char>("device");
        QTest::addColumn<bool>("cutsPower");
        QTest::newRow("HCC restarts alone") << BusId::Hcc << false;
        QTest::newRow("KEY takes the power") << BusId::Key << true;
    }

    void reset_ofTheKeypadOnly_powerCyclesTheUnit()
    {
        QFETCH(char, device);
        QFETCH(bool, cutsPower);
        SimHarness h;
        auto* line = static_cast<PtyDevice*>(h.sim().port()->line());
        // A setting only a fresh boot forgets, and mains power, which the battery board
        // keeps through it.
        QVERIFY(h.ask(SetPowerLevelMsg(3), eGetPowerLevelMsgRespToSet).type != 0);
        h.sim().bbm()->setMains(true);
        const MstController* mstBefore = h.sim().mst();
        QSignalSpy cut(&h.sim(), &HeadSim::powerCut);
        QSignalSpy booted(&h.sim(), &HeadSim::booted);

        h.send(MasterResetRequest(device));
        if (!cutsPower) {
            // Answered on the same line, by the same head, afterwards.
            QVERIFY(h.ask(StatusRequestMsg(BusId::Key), eGetSelectIdMsg).type != 0);
            QCOMPARE(h.sim().hcc()->resetCount(), 1);
            QCOMPARE(h.sim().mst(), mstBefore);
            QCOMPARE(h.sim().mst()->settings().powerLevel, quint8(3));
            QCOMPARE(cut.count(), 0);
            return;
        }
        QVERIFY(cut.wait(2000));
        QVERIFY(!h.sim().isPowered());
        QVERIFY(!line->isOpen());
        QVERIFY(booted.wait(2000));
        // A new pseudo-terminal; it may take the old one's number, which the program's bus
        // gave up once it saw the line go.
        QVERIFY(line->isOpen());

        h.reconnect();
        const QuarnBusMsg status = h.ask(StatusRequestMsg(BusId::Key), eGetSelectIdMsg);
        QVERIFY(status.type != 0);
        QCOMPARE(h.sim().key()->resetCount(), 0);
        QCOMPARE(h.sim().mst()->settings().powerLevel, HeadSettings().powerLevel);
        QVERIFY(h.sim().bbm()->isOnMains());
    }
};

QUARN_TEST_MAIN(TestHeadSim)
#include "tst_headSim.moc"
