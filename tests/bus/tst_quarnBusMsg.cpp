#include "bus/quarnBusMsg.h"
#include "bus/settingMsgs.h"
#include "tests/support/quarnTest.h"

class TestQuarnBusMsg : public QObject
{
    Q_OBJECT
private slots:
    void workedExample_serializesByteForByte()
    {
        const QByteArray frame = SetVolumeMsg(5).serialize();
        QCOMPARE(frame.toHex(' '), QByteArray("82 8a 48 45 3e 00 01 00 05 d1 00"));
    }

    void emptyBody_isTenBytesWithHeaderChecksum()
    {
        const QByteArray frame = QuarnBusMsg(eGetPingMsg, BusId::Bbm).serialize();
        QCOMPARE(frame.size(), 10);
        QCOMPARE(frame.mid(6, 2), QByteArray::fromHex("0000"));
        const quint16 sum = 0x46 + 0x45 + 17;
        QCOMPARE(quint8(frame.at(8)), quint8(sum & 0xFF));
        QCOMPARE(quint8(frame.at(9)), quint8(sum >> 8));
    }

    void checksum_sumsBytesUnsignedAndWraps()
    {
        // 300 bytes of 0xFF: 76500 + header, modulo 65536, must not go negative.
        const QByteArray body(300, char(0xFF));
        const QByteArray frame = QuarnBusMsg(eSetSystemDataMsg, BusId::Mst, char(0x80), body).serialize();
        quint32 sum = 0;
        for (int i = 2; i < frame.size() - 2; ++i)
            sum += quint8(frame.at(i));
        const quint16 sent = quint16(quint8(frame.at(frame.size() - 2)) |
                                     (quint8(frame.at(frame.size() - 1)) << 8));
        QCOMPARE(sent, quint16(sum & 0xFFFF));
        QCOMPARE(frame.mid(6, 2), QByteArray::fromHex("2c01")); // serialize() does not limit
    }

    void sourceId_isAlwaysThisController()
    {
        QuarnBusMsg msg(eSetPowerLevelMsg, BusId::Mst, 0, "\x07");
        msg.srcId = 0x4B;
        QCOMPARE(quint8(msg.serialize().at(3)), quint8(0x45));
    }

    void typeAboveByte_sendsLowByteOnly()
    {
        const QByteArray frame = QuarnBusMsg(QuarnBusMsgType(0x1A0), BusId::Mst).serialize();
        QCOMPARE(quint8(frame.at(4)), quint8(0xA0));
    }

    void parse_roundTripsAllFields()
    {
        const QByteArray frame =
            QuarnBusMsg(eQuarnGetResultResponseMsg, BusId::Tsc, char(0x99), "\x01\x02\xFF").serializeFrom(BusId::Rad);
        const QuarnBusMsg msg(frame);
        QCOMPARE(int(msg.type), int(eQuarnGetResultResponseMsg));
        QCOMPARE(msg.destId, quint8(0x45));
        QCOMPARE(msg.srcId, quint8(0x4B));
        QCOMPARE(msg.param, quint8(0x99));
        QCOMPARE(msg.body, QByteArray("\x01\x02\xFF"));
        QCOMPARE(msg.bodyByte(2), quint8(0xFF));
        QCOMPARE(msg.bodyByte(3), quint8(0));
    }

    void parse_shortFrames_readMissingBytesAsZero_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("type");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("empty") << QByteArray() << 0 << QByteArray();
        QTest::newRow("header only to type") << QByteArray::fromHex("828a45487f") << 0x7f << QByteArray();
        QTest::newRow("length low byte only") << QByteArray::fromHex("828a4548790003") << 0x79 << QByteArray();
        QTest::newRow("body shorter than length")
            << QByteArray::fromHex("828a45487900050001020304") << 0x79 << QByteArray::fromHex("01020304");
    }

    void parse_shortFrames_readMissingBytesAsZero()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, type);
        QFETCH(QByteArray, body);
        const QuarnBusMsg msg(frame);
        QCOMPARE(int(msg.type), type);
        QCOMPARE(msg.body, body);
    }
};

QUARN_TEST_MAIN(TestQuarnBusMsg)
#include "tst_quarnBusMsg.moc"
