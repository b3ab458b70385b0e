#include "bus/deviceMsgs.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "sim/frameLog.h"
#include "tests/support/quarnTest.h"

#include <QBuffer>

class TestFrameLog : public QObject
{
    Q_OBJECT
private slots:
    void describeFrame_namesDeviceRequestParamAndBody_data()
    {
        QTest::addColumn<QuarnBusMsg>("msg");
        QTest::addColumn<QString>("line");
        QTest::newRow("set") << QuarnBusMsg(SetVolumeMsg(0x85))
                             << "    1.500 MST SetVolumeMsg(62) param 0 body 85";
        QTest::newRow("empty body") << QuarnBusMsg(GetSystemDataMsg())
                                    << "    1.500 MST GetSystemDataMsg(120) param 0 body -";
        QTest::newRow("param") << QuarnBusMsg(GetSmbMsg(0x22))
                               << "    1.500 BBM GetSmbMsg(19) param 34 body -";
        // Code 82 means a haptic pulse to KEY and the trip level to MST.
        QTest::newRow("haptic")
            << QuarnBusMsg(QuarnActivateHapticRequest(50))
            << "    1.500 KEY QuarnActivateHapticRequest(82) param 0 body 04 32";
        QTest::newRow("trip") << QuarnBusMsg(SetTripLevelMsg(3))
                              << "    1.500 MST SetTripLevelMsg(82) param 0 body 03";
    }

    void describeFrame_namesDeviceRequestParamAndBody()
    {
        QFETCH(QuarnBusMsg, msg);
        QFETCH(QString, line);
        QCOMPARE(describeFrame(msg, 1500), line);
    }

    void longBody_isCutWithItsLength()
    {
        const SetEepromMsgReq packet(BusId::Hcc, SetEepromMsgReq::kWrite, QByteArray(256, '\x11'));
        const QString line = describeFrame(packet, 0);
        QVERIFY(line.startsWith("    0.000 HCC SetEepromMsgReq(32) param 3 body 11 11"));
        QVERIFY(line.endsWith(" 11 ... (256 bytes)"));
        QCOMPARE(line.count("11"), 32);
    }

    void busIdFromName_readsWhatDeviceNameWrites()
    {
        for (char id : {BusId::Bbm, BusId::Key, BusId::Mst, BusId::Hcc, BusId::Rad})
            QCOMPARE(busIdFromName(deviceName(quint8(id)).toLower()), id);
        QCOMPARE(busIdFromName("XYZ"), char(0));
    }

    void log_writesOneLinePerFrameAndNotes()
    {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        FrameLog log(&out);
        log.note("line opened");
        log.frame(GetSystemDataMsg());
        const QList<QByteArray> lines = out.data().split('\n');
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(0), QByteArray("# line opened"));
        QVERIFY(lines.at(1).endsWith("MST GetSystemDataMsg(120) param 0 body -"));
        QVERIFY(lines.at(2).isEmpty());
    }
};

QUARN_TEST_MAIN(TestFrameLog)
#include "tst_frameLog.moc"
