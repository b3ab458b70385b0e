#include "services/bcd.h"
#include "services/rtcMsgUtil.h"
#include "tests/support/quarnTest.h"

class TestRtcMsgUtil : public QObject
{
    Q_OBJECT
private slots:
    void bcd_convertsBothWays()
    {
        QCOMPARE(int(BCDToBin(0x59)), 59);
        QCOMPARE(int(BCDToBin(0x00)), 0);
        QCOMPARE(int(BinToBCD(0)), 0x00);
        QCOMPARE(int(BinToBCD(26)), 0x26);
        QCOMPARE(int(BinToBCD(98)), 0x98);
        QCOMPARE(int(BinToBCD(99)), 0x99);
        QCOMPARE(int(BinToBCD(200)), 0x99);
    }

    void hourForms_data()
    {
        QTest::addColumn<int>("hourByte");
        QTest::addColumn<int>("hour");
        QTest::newRow("12 AM") << 0x52 << 0;
        QTest::newRow("12 PM") << 0x72 << 12;
        QTest::newRow("11 PM") << 0x71 << 23;
        QTest::newRow("1 AM") << 0x41 << 1;
        QTest::newRow("24h 23") << 0x23 << 23;
        QTest::newRow("24h 00") << 0x00 << 0;
    }

    void hourForms()
    {
        QFETCH(int, hourByte);
        QFETCH(int, hour);
        QByteArray body = QByteArray::fromHex("30150004050326");
        body[2] = char(hourByte);
        const QDateTime parsed = RtcMsgUtilParseDateTimeFromRtcMsgBody(body);
        QCOMPARE(parsed, QDateTime(QDate(2026, 3, 5), QTime(hour, 15, 30)));
    }

    void oscillatorBit_isMaskedFromSeconds()
    {
        const QDateTime parsed =
            RtcMsgUtilParseDateTimeFromRtcMsgBody(QByteArray::fromHex("d9590004050326"));
        QCOMPARE(parsed.time(), QTime(0, 59, 59));
    }

    void shortAndEmptyBodies()
    {
        QVERIFY(RtcMsgUtilParseDateTimeFromRtcMsgBody(QByteArray()).isNull());
        // Missing day, month and year read as 0: no valid date, but no fault either.
        const QDateTime parsed = RtcMsgUtilParseDateTimeFromRtcMsgBody(QByteArray::fromHex("0102"));
        QCOMPARE(parsed.time(), QTime(0, 2, 1));
        QVERIFY(!parsed.date().isValid());
    }
};

QUARN_TEST_MAIN(TestRtcMsgUtil)
#include "tst_rtcMsgUtil.moc"
