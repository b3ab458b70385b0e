#include "bus/deviceMsgs.h"
#include "bus/measurementMsgs.h"
#include "bus/rtcGetDateTimeMsg.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "tests/support/quarnTest.h"

// Each request as it leaves the controller: type, destination, param and body.
class TestMessageCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<QuarnBusMsg>("msg");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("dest");
        QTest::addColumn<int>("param");
        QTest::addColumn<QByteArray>("body");
        auto row = [](const char* name, const QuarnBusMsg& m, int type, int dest, int param,
                      const char* hex) {
            QTest::newRow(name) << m << type << dest << param << QByteArray::fromHex(hex);
        };
        row("status RAD", StatusRequestMsg(BusId::Rad), 0, 0x4B, 0, "");
        row("status KEY", StatusRequestMsg(BusId::Key), 0, 0x47, 0, "");
        row("version query", GetSelectIdMsg(5), 1, 0x48, 5, "");
        row("admin options LE", SetAdminOptionsMsg(0x1234), 2, 0x48, 0, "3412");
        row("ping", GetPingMsg(), 17, 0x46, 0, "");
        row("reset HCC", MasterResetRequest(BusId::Hcc), 18, 0x4A, 0, "01");
        row("smb register", GetSmbMsg(0x1B), 19, 0x46, 0x1B, "");
        row("flash BBM", SetFlashMsgReq(SetFlashMsgReq::Image::Bbm), 20, 0x48, 0, "");
        row("flash HDC", SetFlashMsgReq(SetFlashMsgReq::Image::Hdc), 21, 0x48, 0, "");
        row("rtc get", RtcGetDateTimeMsg(), 23, 0x46, 0, "");
        row("eeprom erase", SetEepromMsgReq(BusId::Key, SetEepromMsgReq::kErase, "\x01\x02"), 32,
            0x47, 2, "0102");
        row("operating mode", SetOperatingModeMsg(0xFF), 34, 0x48, 0, "ff");
        row("power level", SetPowerLevelMsg(20), 38, 0x48, 0, "14");
        row("tx power mode", SetTxPowerModeMsg(1), 42, 0x48, 0, "01");
        row("freq mode", SetFreqModeMsg(2), 46, 0x48, 0, "02");
        row("freq query", GetFreqValueMsg(), 48, 0x48, 0, "");
        row("freq value LE", SetFreqValueMsg(915000000u), 50, 0x48, 0, "c0ca8936");
        row("volume muted", SetVolumeMsg(0x80 | 7), 62, 0x48, 0, "87");
        row("audio output", SetAudioOutputMsg(1), 70, 0x48, 0, "01");
        row("dsp gain", SetDspGainLevelMsg(3), 74, 0x48, 0, "03");
        row("trip level to MST", SetTripLevelMsg(5), 82, 0x48, 0, "05");
        row("haptic pulse to KEY", QuarnActivateHapticRequest(50), 82, 0x47, 0, "0432");
        row("target haptic", SetTargetHapticMsg(0x21), 86, 0x48, 0, "21");
        row("headlight", SetHeadlightMsg(1), 90, 0x48, 0, "01");
        row("standby", SetStandbyTimeMsg(4), 94, 0x48, 0, "04");
        row("auto off", SetAutoOffMsg(2), 98, 0x48, 0, "02");
        row("country query", GetCountryMsg(), 100, 0x48, 0, "");
        row("country", SetCountryMsg(3), 102, 0x48, 0, "03");
        row("key press", SetKeyPressEventMsg(0x20), 106, 0x48, 0x20, "");
        row("key release", SetKeyPressEventMsg(), 106, 0x48, 0, "");
        row("system information", GetSysInformationMsg(), 108, 0x48, 0, "");
        row("fft 3rd", FftCorrelatedDataRequestMsg(3), 112, 0x4B, 0, "03");
        row("load defaults", LoadUserSettingsMsg(LoadUserSettingsMsg::kRestoreDefaults), 116, 0x48,
            2, "");
        row("save user settings", SaveUserSettingsMsg(), 118, 0x48, 0, "");
        row("system data query", GetSystemDataMsg(), 120, 0x48, 0, "");
        row("system data", SetSystemDataMsg(QByteArray::fromHex("0102")), 122, 0x48, 0, "0102");
        row("brightness", SetBrightnessMsg(2), 126, 0x48, 0, "02");
        row("tone style", SetToneStyleMsg(1), 130, 0x48, 0, "01");
        row("uflags query", GetUflagsMsg(), 140, 0x48, 0, "");
        row("uflags on", SetUflagsMsg(true), 142, 0x48, 0, "01ff");
        row("uflags off", SetUflagsMsg(false), 142, 0x48, 0, "00ff");
        row("result request", QuarnGetResultRequestMsg(), 148, 0x4B, 0, "");
        row("keypad exit", SetKeypadExitMsg(0), 154, 0x48, 0, "00");
        row("zone query", GetZoneMsg(7), 156, 0x48, 7, "");
        row("zone list", GetZoneListMsg(), 160, 0x48, 0, "");
    }

    void requests()
    {
        QFETCH(QuarnBusMsg, msg);
        QFETCH(int, type);
        QFETCH(int, dest);
        QFETCH(int, param);
        QFETCH(QByteArray, body);
        const QuarnBusMsg sent(msg.serialize());
        QCOMPARE(int(sent.type), type);
        QCOMPARE(int(sent.destId), dest);
        QCOMPARE(int(sent.param), param);
        QCOMPARE(sent.body.toHex(), body.toHex());
        QCOMPARE(int(sent.srcId), 0x45);
    }

    void rtcSet_buildsBcdBodyFromDate()
    {
        const QDateTime thursday(QDate(2026, 3, 5), QTime(14, 7, 9));
        const RtcSetDateTimeMsg msg(thursday, BusId::Bbm);
        QCOMPARE(int(msg.type), 22);
        QCOMPARE(int(msg.destId), 0x46);
        QCOMPARE(msg.body.toHex(' '), QByteArray("09 07 14 04 05 03 26"));
        QCOMPARE(msg.GetDateTime(), thursday);
    }

    void answers_decodeTheirBytes()
    {
        auto answer = [](QuarnBusMsgType type, const QByteArray& body) {
            return QuarnBusMsg(type, BusId::Tsc, 2, body).serializeFrom(BusId::Mst);
        };
        QCOMPARE(GetSelectIdMsg(answer(eGetSelectIdMsg, QByteArray("MST 2.4.1\0junk", 14))).text(),
                 QByteArray("MST 2.4.1"));
        QCOMPARE(GetSelectIdMsg(answer(eGetSelectIdMsg, "no nul")).text(), QByteArray("no nul"));
        QCOMPARE(SetEepromMsgResp(answer(eSetEepromMsg, QByteArray::fromHex("78563412")))
                     .writeChecksum(),
                 0x12345678u);
        QCOMPARE(GetFreqValueMsgResp(answer(eGetFreqValueMsgResp, QByteArray::fromHex("c0ca8936")))
                     .frequencyHz(),
                 915000000u);
        QVERIFY(RtcGetDateTimeMsg(answer(eRtcGetDateTimeMsg, QByteArray::fromHex("80000001010126")))
                    .DidOscillatorStop());
        QVERIFY(
            !RtcGetDateTimeMsg(answer(eRtcGetDateTimeMsg, QByteArray::fromHex("59000001010126")))
                 .DidOscillatorStop());
    }
};

QUARN_TEST_MAIN(TestMessageCatalogue)
#include "tst_messageCatalogue.moc"
