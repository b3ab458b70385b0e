#include "bus/deviceMsgs.h"
#include "bus/msgShapes.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

namespace {

QByteArray eraseBody(quint8 blocks, quint8 slotId)
{
    QByteArray body;
    body.append(char(blocks));
    body.append(char(slotId));
    body.append("HDR-0001", 8);
    return body;
}

} // namespace

class TestFlashTargetController : public QObject
{
    Q_OBJECT
private slots:
    void statusText_carriesTheHardwareCodeAtChars17And18_data()
    {
        QTest::addColumn<char>("device");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("HCC") << BusId::Hcc << QByteArray("04");
        QTest::newRow("KEY") << BusId::Key << QByteArray("03");
    }

    void statusText_carriesTheHardwareCodeAtChars17And18()
    {
        QFETCH(char, device);
        QFETCH(QByteArray, code);
        SimOptions options = SimHarness::fastOptions();
        options.hccHardwareCode = device == BusId::Hcc ? code : "01";
        options.keyHardwareCode = device == BusId::Key ? code : "01";
        SimHarness h(options);
        const QuarnBusMsg answer = h.ask(StatusRequestMsg(device), eGetSelectIdMsg, device);
        const QByteArray text = GetSelectIdMsg(answer.serializeFrom(device)).text();
        QCOMPARE(text.mid(17, 2), code);
        QVERIFY(text.startsWith(device == BusId::Hcc ? "HCC " : "KEY "));
    }

    void eraseThenWrite_answersTheByteSumAfterTheLastPacketOnly()
    {
        SimHarness h;
        const QuarnBusMsg erased =
            h.ask(SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kErase, eraseBody(2, 0x49)),
                  eSetEepromMsg);
        QCOMPARE(erased.param, SetEepromMsgReq::kErase);
        QCOMPARE(erased.srcId, quint8(BusId::Hcc));

        quint32 sum = 0;
        const int packets = 2 * 256;
        for (int i = 0; i < packets; ++i) {
            QByteArray data(256, '\0');
            for (int j = 0; j < data.size(); ++j)
                data[j] = char((i * 7 + j) & 0xFF);
            for (char byte : data)
                sum += quint8(byte);
            if (i == packets - 1) {
                // Nothing answered the packets so far.
                h.ask(StatusRequestMsg(BusId::Hcc), eGetSelectIdMsg);
                QCOMPARE(h.received(eSetEepromMsg).size(), 1);
            }
            h.send(SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kWrite, data));
        }
        const QList<QuarnBusMsg> answers = h.waitFor(eSetEepromMsg, 2);
        QCOMPARE(answers.size(), 2);
        QCOMPARE(answers.at(1).param, SetEepromMsgReq::kWrite);
        QCOMPARE(SetEepromMsgResp(answers.at(1).serializeFrom(BusId::Hcc)).writeChecksum(), sum);
        QVERIFY(!h.sim().hcc()->isAwaitingPackets());
    }

    void emptySection_isOneBlockOfZeros_withChecksum0()
    {
        SimHarness h;
        h.ask(SetEepromMsgReq(BusId::Key, SetEepromMsgReq::kErase, eraseBody(1, 0x20)),
              eSetEepromMsg);
        for (int i = 0; i < 256; ++i)
            h.send(SetEepromMsgReq(BusId::Key, SetEepromMsgReq::kWrite, QByteArray(256, '\0')));
        const QList<QuarnBusMsg> answers = h.waitFor(eSetEepromMsg, 2, BusId::Key);
        QCOMPARE(answers.value(1).body, QByteArray(4, '\0'));
    }

    void writeWithoutErase_orAfterReset_isIgnored()
    {
        SimHarness h;
        h.send(SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kWrite, QByteArray(256, '\1')));
        h.ask(SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kErase, eraseBody(1, 0x50)),
              eSetEepromMsg);
        h.send(MasterResetRequest(BusId::Hcc));
        QTRY_COMPARE(h.sim().hcc()->resetCount(), 1);
        QVERIFY(!h.sim().hcc()->isAwaitingPackets());
        for (int i = 0; i < 256; ++i)
            h.send(SetEepromMsgReq(BusId::Hcc, SetEepromMsgReq::kWrite, QByteArray(256, '\1')));
        h.ask(StatusRequestMsg(BusId::Hcc), eGetSelectIdMsg);
        QCOMPARE(h.received(eSetEepromMsg).size(), 1);
    }

    void hapticPulse_reachesKeyOnly_andIsAcknowledged()
    {
        SimHarness h;
        const QuarnBusMsg ack =
            h.ask(QuarnActivateHapticRequest(50), eGetTripLevelMsgRespToSet, BusId::Key);
        QCOMPARE(ack.body, QByteArray("\x04\x32", 2));
        QCOMPARE(h.sim().key()->pulseCount(), 1);
        QCOMPARE(h.sim().hcc()->pulseCount(), 0);
        QCOMPARE(h.sim().mst()->settings().tripLevel, quint8(10));
    }
};

QUARN_TEST_MAIN(TestFlashTargetController)
#include "tst_flashTargetController.moc"
