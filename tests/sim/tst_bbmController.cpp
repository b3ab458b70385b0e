#include "bus/deviceMsgs.h"
#include "bus/rtcGetDateTimeMsg.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

class TestBbmController : public QObject
{
    Q_OBJECT
private slots:
    void ping_givesTheStatusRecord_withChargeAndMains()
    {
        SimHarness h;
        QuarnBusMsg record = h.ask(GetPingMsg(), eGetPingMsg, BusId::Bbm);
        QCOMPARE(record.body.size(), BbmController::kStatusSize);
        QCOMPARE(int(record.bodyByte(BbmController::kChargeAt)), 87);
        QCOMPARE(record.bodyByte(BbmController::kAcFlagsAt) & BbmController::kAcBit, 0);
        QCOMPARE(record.bodyByte(8) * 256 + record.bodyByte(9), 0x00C0); // discharging

        h.sim().bbm()->setMains(true);
        record = h.ask(GetPingMsg(), eGetPingMsg, BusId::Bbm);
        QCOMPARE(record.bodyByte(BbmController::kAcFlagsAt) & BbmController::kAcBit,
                 BbmController::kAcBit);
    }

    void charge_fallsOnBattery_risesOnMains()
    {
        SimOptions options = SimHarness::fastOptions();
        options.battery.chargeStepMs = 10;
        options.battery.chargePercent = 50;
        SimHarness h(options);
        QTRY_VERIFY(h.sim().bbm()->chargePercent() <= 47);
        h.sim().bbm()->setMains(true);
        const int low = h.sim().bbm()->chargePercent();
        QTRY_VERIFY(h.sim().bbm()->chargePercent() >= low + 3);
    }

    void smartBatteryRegister_answersWithItsValue_data()
    {
        QTest::addColumn<int>("reg");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("cycle count") << 0x17 << QByteArray("\x2A\x00", 2);
        QTest::newRow("manufacture date") << 0x1B << QByteArray("\xE3\x44", 2);
        QTest::newRow("serial number") << 0x1C << QByteArray("\x67\x12", 2);
        QTest::newRow("manufacturer") << 0x20 << QByteArray("VEKPOWER\0", 9);
        QTest::newRow("device name") << 0x21 << QByteArray("QB2S2P\0", 7);
        QTest::newRow("chemistry") << 0x22 << QByteArray("LION\0", 5);
    }

    void smartBatteryRegister_answersWithItsValue()
    {
        QFETCH(int, reg);
        QFETCH(QByteArray, value);
        SimHarness h;
        const QuarnBusMsg answer = h.ask(GetSmbMsg(quint8(reg)), eGetSmbMsg);
        QCOMPARE(int(answer.param), reg);
        QCOMPARE(answer.body, value);
    }

    void unknownRegister_getsNoAnswer()
    {
        SimHarness h;
        h.send(GetSmbMsg(0x7F));
        h.ask(GetSmbMsg(0x17), eGetSmbMsg);
        QCOMPARE(h.received(eGetSmbMsg).size(), 1);
    }

    void clock_startsAtHostTime_andASetMovesOnlyTheHeadsClock()
    {
        SimHarness h;
        const QuarnBusMsg now = h.ask(RtcGetDateTimeMsg(), eRtcGetDateTimeMsg, BusId::Bbm);
        QCOMPARE(now.body.size(), 7);
        const RtcGetDateTimeMsg read(now.serializeFrom(BusId::Bbm));
        QVERIFY(!read.DidOscillatorStop());
        QVERIFY(qAbs(read.GetDateTime().secsTo(QDateTime::currentDateTime())) <= 2);

        const QDateTime future(QDate(2031, 11, 23), QTime(21, 4, 30));
        const QuarnBusMsg set =
            h.ask(RtcSetDateTimeMsg(future, BusId::Bbm), eRtcSetDateTimeMsg, BusId::Bbm);
        QVERIFY(
            qAbs(RtcSetDateTimeMsg(set.serializeFrom(BusId::Bbm)).GetDateTime().secsTo(future)) <=
            2);
        QCOMPARE(set.bodyByte(6), quint8(0x31)); // BCD year
        QCOMPARE(set.bodyByte(2), quint8(0x21)); // BCD hour, 24-hour form
        const QuarnBusMsg later = h.ask(RtcGetDateTimeMsg(), eRtcGetDateTimeMsg, BusId::Bbm);
        QCOMPARE(RtcGetDateTimeMsg(later.serializeFrom(BusId::Bbm)).GetDateTime().date(),
                 future.date());
        QVERIFY(QDateTime::currentDateTime().date().year() < 2031);
    }

    void stoppedOscillator_isReportedUntilTheClockIsSet()
    {
        SimOptions options = SimHarness::fastOptions();
        options.battery.oscillatorStopped = true;
        SimHarness h(options);
        const QuarnBusMsg stopped = h.ask(RtcGetDateTimeMsg(), eRtcGetDateTimeMsg);
        QVERIFY(stopped.bodyByte(0) & BbmController::kOscillatorStopBit);
        h.ask(RtcSetDateTimeMsg(QDateTime::currentDateTime(), BusId::Bbm), eRtcSetDateTimeMsg);
        QVERIFY(!(h.ask(RtcGetDateTimeMsg(), eRtcGetDateTimeMsg).bodyByte(0) &
                  BbmController::kOscillatorStopBit));
    }
};

QUARN_TEST_MAIN(TestBbmController)
#include "tst_bbmController.moc"
