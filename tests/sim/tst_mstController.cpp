#include "bus/deviceMsgs.h"
#include "bus/measurementMsgs.h"
#include "bus/msgShapes.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

#include <QElapsedTimer>

namespace {

QByteArray systemData(SimHarness& h)
{
    return h.ask(GetSystemDataMsg(), eGetSystemDataMsgResp, BusId::Mst).body;
}

quint8 blockByte(SimHarness& h, int offset)
{
    return quint8(systemData(h).at(offset));
}

// The program's derivation of the head type from the system information.
int headTypeOf(const QuarnBusMsg& info)
{
    if (info.body.size() >= 3 && (info.bodyByte(2) & 0x40))
        return 1;
    const quint8 family = info.bodyByte(0);
    if (family == 17 || family == 19 || family == 23)
        return 3;
    if (family == 0 || family == 1 || family == 3)
        return 0;
    return info.body.size() >= 5 && info.bodyByte(4) ? 2 : 0;
}

} // namespace

class TestMstController : public QObject
{
    Q_OBJECT
private slots:
    void systemData_is28BytesStartingVek0_withTheHeadsSettings()
    {
        SimHarness h;
        const QuarnBusMsg answer = h.ask(GetSystemDataMsg(), eGetSystemDataMsgResp);
        QCOMPARE(answer.srcId, quint8(BusId::Mst));
        QCOMPARE(answer.body.size(), 28);
        QVERIFY(answer.body.startsWith("VEK0"));
        QCOMPARE(answer.bodyByte(6), quint8(15));  // power level
        QCOMPARE(le32At(answer, 8), 2404000000u);  // transmit frequency
        QCOMPARE(answer.bodyByte(27), quint8(33)); // region
        for (int reserved : {14, 18, 23, 24})
            QCOMPARE(answer.bodyByte(reserved), quint8(0));
    }

    void setRequest_isAnsweredWithNextCode_andChangesTheBlock_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("stored");
        QTest::newRow("power level") << int(eSetPowerLevelMsg) << 7 << 6 << 7;
        QTest::newRow("power level limit") << int(eSetPowerLevelMsg) << 25 << 6 << 20;
        QTest::newRow("tx power mode") << int(eSetTxPowerModeMsg) << 0 << 7 << 0;
        QTest::newRow("freq mode") << int(eSetFreqModeMsg) << 3 << 5 << 3;
        QTest::newRow("volume muted") << int(eSetVolumeMsg) << 0x85 << 15 << 0x85;
        QTest::newRow("volume limit") << int(eSetVolumeMsg) << 0x7F << 15 << 50;
        QTest::newRow("audio source") << int(eSetAudioOutputMsg) << 0 << 12 << 0;
        QTest::newRow("dsp gain") << int(eSetDspGainLevelMsg) << 2 << 13 << 2;
        QTest::newRow("trip level") << int(eSetTripLevelMsg) << 4 << 16 << 4;
        QTest::newRow("vibration") << int(eSetTargetHapticMsg) << 2 << 20 << 2;
        QTest::newRow("headlight") << int(eSetHeadlightMsg) << 1 << 19 << 1;
        QTest::newRow("standby") << int(eSetStandbyTimeMsg) << 0 << 21 << 0;
        QTest::newRow("auto off") << int(eSetAutoOffMsg) << 5 << 22 << 5;
        QTest::newRow("brightness") << int(eSetBrightnessMsg) << 0 << 17 << 0;
        QTest::newRow("tone style") << int(eSetToneStyleMsg) << 1 << 25 << 1;
        QTest::newRow("operating mode") << int(eSetOperatingModeMsg) << 3 << 4 << 3;
    }

    void setRequest_isAnsweredWithNextCode_andChangesTheBlock()
    {
        QFETCH(int, type);
        QFETCH(int, value);
        QFETCH(int, offset);
        QFETCH(int, stored);
        SimHarness h;
        const QuarnBusMsg answer =
            h.askSent(QuarnBusMsg(QuarnBusMsgType(type), BusId::Mst, 0, QByteArray(1, char(value))),
                      type + 1);
        QCOMPARE(answer.body, QByteArray(1, char(stored)));
        QCOMPARE(int(blockByte(h, offset)), stored);
    }

    void frequency_setAnsweredAndClampedToTheZone()
    {
        SimHarness h;
        QCOMPARE(le32At(h.ask(SetFreqValueMsg(2440000000u), eGetFreqValueMsgRespToSet), 0),
                 2440000000u);
        QCOMPARE(le32At(h.ask(GetFreqValueMsg(), eGetFreqValueMsgResp), 0), 2440000000u);
        QCOMPARE(le32At(h.ask(SetFreqValueMsg(2500000000u), eGetFreqValueMsgRespToSet), 0),
                 2472000000u);
        QCOMPARE(le32At(h.ask(GetSystemDataMsg(), eGetSystemDataMsgResp), 8), 2472000000u);
    }

    void systemDataBlock_replacesTheSettings_invalidBlockChangesNothing()
    {
        SimHarness h;
        QByteArray block = systemData(h);
        block[6] = 3;  // power level
        block[16] = 2; // trip level
        block[25] = 0; // tone style
        block[26] = 1; // start with the stored settings
        QCOMPARE(h.ask(SetSystemDataMsg(block), eGetSystemDataMsgRespToSet).body, block);
        QCOMPARE(systemData(h), block);

        QByteArray bad = block;
        bad[0] = 'X';
        bad[6] = 9;
        QCOMPARE(h.ask(SetSystemDataMsg(bad), eGetSystemDataMsgRespToSet).body, block);
    }

    void setRequest_withAWrongBodyLength_isRefusedWithoutAnswer_data()
    {
        QTest::addColumn<QuarnBusMsg>("request");
        QTest::addColumn<int>("answer");
        const auto mst = [](QuarnBusMsgType type, const QByteArray& body) {
            return QuarnBusMsg(type, BusId::Mst, 0, body);
        };
        QTest::newRow("keypad exit, empty")
            << mst(eSetKeypadExitMsg, {}) << int(eSetKeypadExitMsgAck);
        QTest::newRow("frequency, 3 bytes")
            << mst(eSetFreqValueMsg, QByteArray(3, 1)) << int(eGetFreqValueMsgRespToSet);
        QTest::newRow("user flags, empty") << mst(eSetUflagsMsg, {}) << int(eGetUflagsMsgRespToSet);
        QTest::newRow("admin options, empty")
            << mst(eSetAdminOptionsMsg, {}) << int(eGetAdminOptionsMsgResp);
        QTest::newRow("volume, 2 bytes")
            << mst(eSetVolumeMsg, QByteArray(2, 5)) << int(eGetVolumeMsgRespToSet);
        QTest::newRow("system data, 27 bytes")
            << mst(eSetSystemDataMsg, QByteArray("VEK0") + QByteArray(23, 1))
            << int(eGetSystemDataMsgRespToSet);
        QTest::newRow("fft block, empty") << QuarnBusMsg(eFftCorrelatedDataRequestMsg, BusId::Rad)
                                          << int(eFftCorrelatedDataRespMsg);
    }

    void setRequest_withAWrongBodyLength_isRefusedWithoutAnswer()
    {
        QFETCH(QuarnBusMsg, request);
        QFETCH(int, answer);
        SimHarness h;
        const QByteArray before = systemData(h);
        h.send(request);
        // The head answers in order: once this answer is in, a refused request's would be.
        QCOMPARE(systemData(h), before);
        QVERIFY(h.sent(answer).isEmpty());
    }

    void loadAndSave_userSettings()
    {
        SimHarness h;
        h.send(SetPowerLevelMsg(4));
        QCOMPARE(h.askSent(SaveUserSettingsMsg(), eSaveUserSettingsMsgAck).type,
                 eSaveUserSettingsMsgAck);
        h.send(SetPowerLevelMsg(9));
        QCOMPARE(
            h.ask(LoadUserSettingsMsg(LoadUserSettingsMsg::kLoadStored), eLoadUserSettingsMsgResp)
                .type,
            eLoadUserSettingsMsgResp);
        QCOMPARE(blockByte(h, 6), quint8(4));
        h.ask(LoadUserSettingsMsg(LoadUserSettingsMsg::kRestoreDefaults), eLoadUserSettingsMsgResp);
        QCOMPARE(blockByte(h, 6), quint8(15));
    }

    void uflags_andAdminOptions()
    {
        SimHarness h;
        QCOMPARE(h.ask(GetUflagsMsg(), eGetUflagsMsgResp).body, QByteArray(1, '\0'));
        QCOMPARE(h.ask(SetUflagsMsg(true), eGetUflagsMsgRespToSet).body, QByteArray(1, '\1'));
        QCOMPARE(blockByte(h, 26), quint8(1));
        QCOMPARE(le16At(h.ask(SetAdminOptionsMsg(0x2003), eGetAdminOptionsMsgResp), 0),
                 quint16(0x2003));
        QCOMPARE(le16At(h.ask(GetSysInformationMsg(), eGetSysInformationMsgResp), 2),
                 quint16(0x2003));
    }

    void systemInformation_givesTheConfiguredHeadType_data()
    {
        QTest::addColumn<int>("headType");
        for (int type = 0; type < 4; ++type)
            QTest::newRow(qPrintable(QString::number(type))) << type;
    }

    void systemInformation_givesTheConfiguredHeadType()
    {
        QFETCH(int, headType);
        SimOptions options = SimHarness::fastOptions();
        options.mst.headType = headType;
        SimHarness h(options);
        const QuarnBusMsg info = h.ask(GetSysInformationMsg(), eGetSysInformationMsgResp);
        QCOMPARE(info.body.size(), 5);
        QCOMPARE(headTypeOf(info), headType);
    }

    void country_zones_andZoneList()
    {
        SimHarness h;
        QCOMPARE(h.ask(GetCountryMsg(), eGetCountryMsgResp).body, QByteArray(1, char(33)));
        const QuarnBusMsg list = h.ask(GetZoneListMsg(), eGetZoneListMsgResp);
        QCOMPARE(list.param, quint8(33));
        QCOMPARE(list.body, QByteArray("\x20\x21\x22\x23\x24"));

        const QuarnBusMsg zone = h.ask(GetZoneMsg(33), eGetZoneMsgResp);
        QCOMPARE(zone.param, quint8(33));
        QCOMPARE(le32At(zone, 0), 2404000000u);
        QCOMPARE(le32At(zone, 4), 2472000000u);
        QCOMPARE(le32At(zone, 8), 1000000u);
        QCOMPARE(zone.bodyByte(13) & 4, 0);
        QCOMPARE(le16At(zone, 14), quint16(2400));
        QCOMPARE(le16At(zone, 16), quint16(84));

        // Changing the zone pulls the frequency into its limits.
        QCOMPARE(h.ask(SetCountryMsg(32), eGetCountryMsgRespToSet).body, QByteArray(1, char(32)));
        QCOMPARE(le32At(h.ask(GetFreqValueMsg(), eGetFreqValueMsgResp), 0), 2446000000u);
        QCOMPARE(h.ask(SetCountryMsg(20), eGetCountryMsgRespToSet).body, QByteArray(1, char(32)));
        QCOMPARE(h.ask(GetZoneListMsg(), eGetZoneListMsgResp).param, quint8(32));

        h.send(GetZoneMsg(20)); // no such zone: no answer
        h.ask(GetZoneMsg(15), eGetZoneMsgResp);
        QCOMPARE(h.received(eGetZoneMsgResp).size(), 2);
    }

    void band900_locksEuropeToOneFrequency()
    {
        SimOptions options = SimHarness::fastOptions();
        options.mst.headType = 1;
        SimHarness h(options);
        const QuarnBusMsg zone = h.ask(GetZoneMsg(32), eGetZoneMsgResp);
        QCOMPARE(le32At(zone, 0), le32At(zone, 4));
        QCOMPARE(zone.bodyByte(13) & 4, 4);

        // The program echoes its stored options word; the band bit stays the head's.
        QCOMPARE(le16At(h.ask(SetAdminOptionsMsg(0x2003), eGetAdminOptionsMsgResp), 0),
                 quint16(0x2043));
        QCOMPARE(headTypeOf(h.ask(GetSysInformationMsg(), eGetSysInformationMsgResp)), 1);
    }

    void versions_perProcessorId_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("prefix");
        const char* prefixes[] = {"MST ", "BBM ", "HDC ", "RCC ", "KCC ", "HCC "};
        for (int id = 0; id < 6; ++id)
            QTest::newRow(prefixes[id]) << id << QByteArray(prefixes[id]);
    }

    void versions_perProcessorId()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, prefix);
        SimHarness h;
        const QuarnBusMsg answer = h.ask(GetSelectIdMsg(quint8(id)), eGetSelectIdMsg);
        QCOMPARE(int(answer.param), id);
        QVERIFY(GetSelectIdMsg(answer.serializeFrom(BusId::Mst)).text().startsWith(prefix));
        QVERIFY(answer.body.endsWith('\0'));
    }

    void unknownProcessorId_getsNoAnswer()
    {
        SimHarness h;
        h.send(GetSelectIdMsg(6));
        h.ask(GetSelectIdMsg(0), eGetSelectIdMsg);
        QCOMPARE(h.received(eGetSelectIdMsg).size(), 1);
    }

    void flashPush_isAnsweredWhenDone()
    {
        SimHarness h;
        QCOMPARE(h.ask(SetFlashMsgReq(SetFlashMsgReq::Image::Bbm), eSetBBMFlashMsg).srcId,
                 quint8(BusId::Mst));
        QCOMPARE(h.ask(SetFlashMsgReq(SetFlashMsgReq::Image::Hdc), eSetLEDFlashMsg).srcId,
                 quint8(BusId::Mst));
    }

    void keyEvents_stepPowerAndVolume_likeTheHeadsKeys()
    {
        SimHarness h;
        // The program repeats a held key every 10 ms; a short hold is one step.
        for (int i = 0; i < 5; ++i)
            h.send(SetKeyPressEventMsg(MstController::kKeyPowerUp));
        h.send(SetKeyPressEventMsg(0));
        QCOMPARE(h.waitFor(eGetPowerLevelMsgRespToSet).at(0).body, QByteArray(1, char(16)));
        QVERIFY(!h.waitFor(eGetTxPowerModeMsgResp).isEmpty()); // makes the program re-read
        QCOMPARE(blockByte(h, 6), quint8(16));
        QCOMPARE(h.received(eGetPowerLevelMsgRespToSet).size(), 1);

        h.send(SetVolumeMsg(0x80 | 10));
        h.send(SetKeyPressEventMsg(MstController::kKeyVolumeUp));
        h.send(SetKeyPressEventMsg(0));
        QCOMPARE(h.waitFor(eGetVolumeMsgResp).at(0).body, QByteArray(1, char(11)));
        QCOMPARE(blockByte(h, 15), quint8(11)); // unmuted

        h.send(SetPowerLevelMsg(0));
        h.send(SetKeyPressEventMsg(MstController::kKeyPowerDown));
        h.send(SetKeyPressEventMsg(0));
        QCOMPARE(h.waitFor(eGetPowerLevelMsgRespToSet, 3).at(2).body, QByteArray(1, '\0'));
    }

    void heldKey_repeatsAtTheHeadsPace()
    {
        SimHarness h;
        h.send(SetVolumeMsg(0));
        QTimer repeat;
        QObject::connect(&repeat, &QTimer::timeout,
                         [&] { h.send(SetKeyPressEventMsg(MstController::kKeyVolumeUp)); });
        QElapsedTimer held;
        held.start();
        repeat.start(10);
        // First step at once, the next after the repeat delay, then one per repeat period.
        QVERIFY(!h.waitFor(eGetVolumeMsgResp, 3).isEmpty());
        QVERIFY(held.elapsed() >= MstController::kKeyRepeatDelayMs + MstController::kKeyRepeatMs);
        repeat.stop();
        h.send(SetKeyPressEventMsg(0));
        QCOMPARE(h.received(eGetVolumeMsgResp).at(2).body, QByteArray(1, char(3)));
    }

    void returnToSearch_restoresTheModeBeforeTheScan()
    {
        SimHarness h;
        h.send(SetOperatingModeMsg(3));
        h.ask(SetOperatingModeMsg(8), eGetOperatingModeMsgRespToSet);
        QCOMPARE(blockByte(h, 4), quint8(8));
        QCOMPARE(h.ask(SetOperatingModeMsg(0xFF), eGetOperatingModeMsgRespToSet).body,
                 QByteArray(1, char(3)));
        QCOMPARE(blockByte(h, 4), quint8(3));
        QVERIFY(!h.sim().mst()->isScanning());
    }
};

QUARN_TEST_MAIN(TestMstController)
#include "tst_mstController.moc"
