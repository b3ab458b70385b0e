#include "bus/msgShapes.h"
#include "bus/settingMsgs.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

class TestAmbientScan : public QObject
{
    Q_OBJECT
private slots:
    void autoScan_sendsThreeChannels_whileSystemDataSays6_thenGoesBack()
    {
        SimHarness h;
        QCOMPARE(h.ask(SetOperatingModeMsg(MstController::kAutoScan), eGetOperatingModeMsgRespToSet)
                     .body,
                 QByteArray(1, char(6)));

        const QuarnBusMsg range = h.waitFor(eGetFreqRangeMsgResp).value(0);
        QCOMPARE(range.body.size(), 11);
        QCOMPARE(le32At(range, 0), 2404000000u);
        QCOMPARE(le32At(range, 4), 2472000000u);
        QCOMPARE(le16At(range, 8), quint16(2400));
        QCOMPARE(range.bodyByte(10), quint8(84));

        // System data while the scan runs, then again once the head is back in search.
        const QList<QuarnBusMsg> blocks = h.waitFor(eGetSystemDataMsgResp, 2, BusId::Mst);
        QCOMPARE(blocks.size(), 2);
        QCOMPARE(blocks.at(0).bodyByte(4), quint8(6));
        QCOMPARE(blocks.at(1).bodyByte(4), quint8(1));

        const QList<QuarnBusMsg> ambient = h.received(eQuarnGetAmbientResponseMsg);
        QCOMPARE(ambient.size(), 3 * SimHarness::fastOptions().mst.scan.autoSweeps);
        for (int i = 0; i < ambient.size(); ++i) {
            QCOMPARE(ambient.at(i).srcId, quint8(BusId::Rad));
            QCOMPARE(ambient.at(i).bodyByte(0), AmbientScan::kAutoMode);
            QCOMPARE(int(ambient.at(i).bodyByte(1)), i % 3);
            QCOMPARE(ambient.at(i).body.size(), 2 + 84);
        }
        QVERIFY(!h.sim().mst()->isScanning());
    }

    void channelScan_repeatsOneChannel_untilSearchResumes()
    {
        SimHarness h;
        h.send(SetOperatingModeMsg(8));
        const QList<QuarnBusMsg> ambient = h.waitFor(eQuarnGetAmbientResponseMsg, 3);
        QCOMPARE(ambient.size(), 3);
        for (const QuarnBusMsg& msg : ambient) {
            QCOMPARE(msg.bodyByte(0), AmbientScan::kChannelMode);
            QCOMPARE(msg.bodyByte(1), quint8(1));
        }
        h.ask(SetOperatingModeMsg(MstController::kReturnToSearch), eGetOperatingModeMsgRespToSet);
        QVERIFY(!h.sim().mst()->isScanning());
        QCOMPARE(h.received(eGetSystemDataMsgResp).size(), 0); // only the automatic scan reports
    }
};

QUARN_TEST_MAIN(TestAmbientScan)
#include "tst_ambientScan.moc"
