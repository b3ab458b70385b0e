#include "bus/deviceMsgs.h"
#include "bus/measurementMsgs.h"
#include "bus/quarnBusMsg.h"
#include "bus/settingMsgs.h"
#include "bus/systemDataMsgs.h"
#include "tests/support/quarnTest.h"

#include <functional>

namespace {

// A body of the given size, zero but for the bytes named.
QByteArray bodyOf(int size, std::initializer_list<std::pair<int, int>> bytes = {})
{
    QByteArray body(size, '\0');
    for (const auto& [at, value] : bytes)
        body[at] = char(value);
    return body;
}

using Field = std::function<qint64(const QuarnBusMsg&)>;

template <typename Answer, typename Value> Field field(Value (Answer::*read)() const)
{
    return [read](const QuarnBusMsg& msg) { return qint64((Answer(msg).*read)()); };
}

const QMap<QString, Field>& fields()
{
    using Ambient = QuarnGetAmbientResponseMsg;
    using Block = GetSystemDataMsgResp;
    using Result = QuarnGetResultResponseMsg;
    static const QMap<QString, Field> all = {
        {"result tx power", field(&Result::txPower)},
        {"result 2nd", field(&Result::harmonic2nd)},
        {"result 3rd", field(&Result::harmonic3rd)},
        {"ambient header", field(&Ambient::hasHeader)},
        {"ambient mode", field(&Ambient::mode)},
        {"ambient channel", field(&Ambient::channel)},
        {"ambient levels", field(&Ambient::levelCount)},
        {"ambient level 2", [](const QuarnBusMsg& msg) { return qint64(Ambient(msg).level(2)); }},
        {"range lower", field(&GetFreqRangeMsgResp::lowerHz)},
        {"range upper", field(&GetFreqRangeMsgResp::upperHz)},
        {"range base", field(&GetFreqRangeMsgResp::baseMHz)},
        {"range steps", field(&GetFreqRangeMsgResp::steps)},
        {"zone lower", field(&GetZoneMsgResp::lowerHz)},
        {"zone step", field(&GetZoneMsgResp::stepHz)},
        {"zone narrow", field(&GetZoneMsgResp::isNarrow)},
        {"zone base", field(&GetZoneMsgResp::baseMHz)},
        {"zone steps", field(&GetZoneMsgResp::steps)},
        {"options", field(&GetSysInformationMsgResp::options)},
        {"block has mode", field(&Block::hasOperatingMode)},
        {"block mode", field(&Block::operatingMode)},
        {"block freq mode", field(&Block::freqMode)},
        {"block power level", field(&Block::powerLevel)},
        {"block tx power mode", field(&Block::txPowerMode)},
        {"block frequency", field(&Block::frequencyHz)},
        {"block audio source", field(&Block::audioSource)},
        {"block dsp gain", field(&Block::dspGainLevel)},
        {"block volume", field(&Block::volume)},
        {"block volume and mute", field(&Block::volumeMute)},
        {"block trip level", field(&Block::tripLevel)},
        {"block brightness", field(&Block::brightness)},
        {"block headlight", field(&Block::headlight)},
        {"block target haptic", field(&Block::targetHaptic)},
        {"block standby", field(&Block::standbyTime)},
        {"block auto off", field(&Block::autoPowerOff)},
        {"block tone style", field(&Block::toneStyle)},
        {"block internal profile", field(&Block::startsWithInternalProfile)},
        {"block region", field(&Block::region)},
        {"battery has charge", field(&GetPingMsg::hasCharge)},
        {"battery charge", field(&GetPingMsg::chargePercent)},
        {"battery on mains", field(&GetPingMsg::onMains)},
        {"battery mfg status", field(&GetPingMsg::mfgStatus)},
        {"setting value", field(&GetTripLevelMsgResp::value)},
        {"uflags internal profile", field(&GetUflagsMsgResp::startsWithInternalProfile)},
    };
    return all;
}

} // namespace

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
        const QByteArray frame =
            QuarnBusMsg(eSetSystemDataMsg, BusId::Mst, char(0x80), body).serialize();
        quint32 sum = 0;
        for (int i = 2; i < frame.size() - 2; ++i)
            sum += quint8(frame.at(i));
        const quint16 sent =
            quint16(quint8(frame.at(frame.size() - 2)) | (quint8(frame.at(frame.size() - 1)) << 8));
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
            QuarnBusMsg(eQuarnGetResultResponseMsg, BusId::Tsc, char(0x99), "\x01\x02\xFF")
                .serializeFrom(BusId::Rad);
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
        QTest::newRow("header only to type")
            << QByteArray::fromHex("828a45487f") << 0x7f << QByteArray();
        QTest::newRow("length low byte only")
            << QByteArray::fromHex("828a4548790003") << 0x79 << QByteArray();
        QTest::newRow("body shorter than length") << QByteArray::fromHex("828a45487900050001020304")
                                                  << 0x79 << QByteArray::fromHex("01020304");
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
    // Every answer's fields at their offsets, and at the boundaries of a short body.
    void answerFields_readTheirOffsets_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<qint64>("expected");
        const auto row = [](const char* name, const char* field, const QByteArray& body,
                            qint64 expected) {
            QTest::newRow(name) << QString::fromLatin1(field) << body << expected;
        };
        const QByteArray result = bodyOf(51, {{47, 200}, {48, 7}, {49, 90}, {50, 250}});
        row("result: tx power", "result tx power", result, 200);
        row("result: 2nd", "result 2nd", result, 90);
        row("result: 3rd", "result 3rd", result, 250);
        row("result: 3rd cut off", "result 3rd", result.left(50), 0);

        row("ambient: empty", "ambient header", {}, false);
        row("ambient: mode only", "ambient header", bodyOf(1), false);
        row("ambient: no levels", "ambient header", bodyOf(2), true);
        row("ambient: no levels, none counted", "ambient levels", bodyOf(1), 0);
        const QByteArray ambient = bodyOf(7, {{0, 1}, {1, 3}, {4, 66}});
        row("ambient: mode", "ambient mode", ambient, 1);
        row("ambient: channel", "ambient channel", ambient, 3);
        row("ambient: level count", "ambient levels", ambient, 5);
        row("ambient: level 2", "ambient level 2", ambient, 66);

        const QByteArray range = bodyOf(11, {{0, 0x40},
                                             {1, 0x42},
                                             {2, 0x0F},
                                             {4, 0x80},
                                             {6, 0x1E},
                                             {8, 0x20},
                                             {9, 0x03},
                                             {10, 20}});
        row("range: lower", "range lower", range, 0x0F4240);
        row("range: upper", "range upper", range, 0x1E0080);
        row("range: base", "range base", range, 800);
        row("range: steps", "range steps", range, 20);
        const QByteArray zone = bodyOf(18, {{0, 1},
                                            {8, 0xA0},
                                            {9, 0x86},
                                            {10, 0x01},
                                            {13, 0x04},
                                            {14, 0x84},
                                            {15, 0x03},
                                            {16, 30},
                                            {17, 1}});
        row("zone: lower", "zone lower", zone, 1);
        row("zone: step", "zone step", zone, 100000);
        row("zone: narrow", "zone narrow", zone, true);
        row("zone: flags cut off", "zone narrow", zone.left(13), false);
        row("zone: other flags", "zone narrow", bodyOf(14, {{13, 0xFB}}), false);
        row("zone: base", "zone base", zone, 900);
        row("zone: steps, low byte", "zone steps", zone, 30);

        row("options: none", "options", bodyOf(2, {{0, 9}, {1, 9}}), 0);
        row("options: low byte only", "options", bodyOf(3, {{2, 0x40}}), 0x40);
        row("options: word", "options", bodyOf(4, {{2, 0x01}, {3, 0x04}}), 0x0401);

        QByteArray block = bodyOf(28);
        for (int i = 4; i < 28; ++i)
            block[i] = char(0x80 + i); // each byte tells its offset
        row("block: mode cut off", "block has mode", bodyOf(4), false);
        row("block: mode 0", "block has mode", bodyOf(5), true);
        row("block: mode", "block mode", block, 0x84);
        row("block: frequency mode", "block freq mode", block, 0x85);
        row("block: power level", "block power level", block, 0x86);
        row("block: transmit power mode", "block tx power mode", block, 0x87);
        row("block: frequency", "block frequency", block, 0x8B8A8988);
        row("block: frequency cut short", "block frequency", block.left(10), 0x8988);
        row("block: audio source", "block audio source", block, 0x8C);
        row("block: dsp gain", "block dsp gain", block, 0x8D);
        row("block: volume", "block volume", block, 0x0F);
        row("block: volume and mute", "block volume and mute", block, 0x8F);
        row("block: trip level", "block trip level", block, 0x90);
        row("block: brightness", "block brightness", block, 0x91);
        row("block: headlight", "block headlight", block, 0x93);
        row("block: target haptic", "block target haptic", block, 0x94);
        row("block: standby", "block standby", block, 0x95);
        row("block: auto off", "block auto off", block, 0x96);
        row("block: tone style", "block tone style", block, 0x99);
        row("block: internal profile", "block internal profile", bodyOf(27, {{26, 1}}), true);
        row("block: other flags", "block internal profile", bodyOf(27, {{26, 0xFE}}), false);
        row("block: flags cut off", "block internal profile", bodyOf(26), false);
        row("block: region", "block region", block, 0x9B);

        const QByteArray battery = bodyOf(17, {{7, 0x80}, {8, 0x12}, {9, 0x34}, {16, 64}});
        row("battery: charge", "battery charge", battery, 64);
        row("battery: has charge", "battery has charge", battery, true);
        row("battery: charge cut off", "battery has charge", battery.left(16), false);
        row("battery: on mains", "battery on mains", battery, true);
        row("battery: other flags", "battery on mains", bodyOf(8, {{7, 0x7F}}), false);
        row("battery: manufacturer status", "battery mfg status", battery, 0x1234);

        row("setting: value", "setting value", bodyOf(1, {{0, 7}}), 7);
        row("setting: empty", "setting value", {}, 0);
        row("user flags: internal profile", "uflags internal profile", bodyOf(1, {{0, 0xFF}}),
            true);
        row("user flags: other bits", "uflags internal profile", bodyOf(1, {{0, 0xFE}}), false);
        row("user flags: empty", "uflags internal profile", {}, false);
    }

    void answerFields_readTheirOffsets()
    {
        QFETCH(QString, field);
        QFETCH(QByteArray, body);
        QFETCH(qint64, expected);
        QVERIFY2(fields().contains(field), qPrintable(field));
        const QuarnBusMsg msg(QuarnBusMsgType(0), BusId::Tsc, 0, body);
        QCOMPARE(fields().value(field)(msg), expected);
    }
};

QUARN_TEST_MAIN(TestQuarnBusMsg)
#include "tst_quarnBusMsg.moc"
