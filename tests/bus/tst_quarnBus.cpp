#include "bus/headLink.h"
#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QSet>
#include <QSignalSpy>

namespace {

QByteArray fromHead(int type, char param = 0, const QByteArray& body = {}, char src = BusId::Mst)
{
    return QuarnBusMsg(QuarnBusMsgType(type), BusId::Tsc, param, body).serializeFrom(src);
}

// Types the dispatcher forwards, as listed for the head's answers.
const QSet<int> kForwarded = {1,   2,   3,   17,  19,  20,  21,  22,  23,  32,  33,  35,  37,
                              39,  41,  43,  45,  47,  49,  51,  53,  55,  61,  63,  69,  71,
                              73,  75,  81,  83,  89,  91,  93,  95,  99,  101, 103, 109, 113,
                              117, 121, 123, 125, 127, 129, 131, 141, 143, 145, 149, 157, 161};
const QSet<int> kSilent = {87, 107, 119, 155};

} // namespace

class TestQuarnBus : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    QuarnBus* m_bus = nullptr;

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        m_bus = QuarnBus::Install(m_line);
        QCOMPARE(QuarnBus::Get(), m_bus);
    }

    void init() { m_line->takeWritten(); }

    void sendMsg_writesTheSerializedFrame()
    {
        QVERIFY(m_bus->sendMsg(SetVolumeMsg(5)));
        QCOMPARE(m_line->takeWritten().toHex(' '), QByteArray("82 8a 48 45 3e 00 01 00 05 d1 00"));
        QCOMPARE(QuarnBus::GetMyBusId(), char(0x45));
    }

    void everyType_isForwardedSilencedOrLogged_data()
    {
        QTest::addColumn<int>("type");
        for (int type = 0; type < 256; ++type) {
            if (type != eBusSendGateMsg)
                QTest::newRow(qPrintable(QString::number(type))) << type;
        }
    }

    void everyType_isForwardedSilencedOrLogged()
    {
        QFETCH(int, type);
        QuarnTest::LogCapture log;
        QSignalSpy spy(m_bus, &QuarnBus::newMsg);
        const QByteArray body = QByteArray::fromHex("0102ff");
        m_line->feed(fromHead(type, char(0x21), body, BusId::Rad));

        if (kForwarded.contains(type)) {
            QCOMPARE(spy.count(), 1);
            const auto msg = spy.at(0).at(0).value<QuarnBusMsg>();
            QCOMPARE(int(msg.type), type);
            QCOMPARE(msg.srcId, quint8(BusId::Rad));
            QCOMPARE(msg.destId, quint8(BusId::Tsc));
            QCOMPARE(msg.param, quint8(0x21));
            QCOMPARE(msg.body, body);
            QVERIFY(log.lines().isEmpty());
        } else if (kSilent.contains(type)) {
            QCOMPARE(spy.count(), 0);
            QVERIFY(log.lines().isEmpty());
        } else {
            QCOMPARE(spy.count(), 0);
            QCOMPARE(log.lines(), QStringList{QStringLiteral("QuarnBus: unhandled msg:  \"%1\"")
                                                  .arg(QString::number(type, 16))});
        }
    }

    void unknownSourceId_isStillDispatched()
    {
        QSignalSpy spy(m_bus, &QuarnBus::newMsg);
        m_line->feed(fromHead(eGetSystemDataMsgResp, 0, QByteArray(28, 0), char(0x7A)));
        QCOMPARE(spy.count(), 1);
    }

    void gateFrame_closesAndOpensSending_whileReceptionGoesOn()
    {
        QSignalSpy spy(m_bus, &QuarnBus::newMsg);
        m_line->feed(fromHead(eBusSendGateMsg, 1));
        QVERIFY(m_bus->isSendGateClosed());
        QVERIFY(!m_bus->sendMsg(SetPowerLevelMsg(3)));
        QVERIFY(m_line->written().isEmpty());

        m_line->feed(fromHead(eGetPowerLevelMsgRespToSet, 0, "\x03"));
        QCOMPARE(spy.count(), 1);
        QVERIFY(!m_bus->sendMsg(SetPowerLevelMsg(3)));
        QVERIFY(m_line->written().isEmpty());

        m_line->feed(fromHead(eBusSendGateMsg, 0));
        QVERIFY(!m_bus->isSendGateClosed());
        QVERIFY(m_bus->sendMsg(SetPowerLevelMsg(3)));
        QCOMPARE(m_line->takeWritten(), SetPowerLevelMsg(3).serialize());
        QCOMPARE(spy.count(), 1); // the gate frame itself is not broadcast
    }

    void shutDownRequest_closesGate_untilGateFrameOpensIt()
    {
        m_bus->onBusShutDownRequested();
        QVERIFY(!m_bus->sendMsg(SetTripLevelMsg(5)));
        m_line->feed(fromHead(eBusSendGateMsg, 7)); // still closed
        QVERIFY(!m_bus->sendMsg(SetTripLevelMsg(5)));
        QVERIFY(m_line->written().isEmpty());
        m_line->feed(fromHead(eBusSendGateMsg, 0));
        QVERIFY(m_bus->sendMsg(SetTripLevelMsg(5)));
        QCOMPARE(m_line->takeWritten(), SetTripLevelMsg(5).serialize());
    }

    void subscriberSending_insideHandler_writesAtOnce()
    {
        auto connection = connect(m_bus, &QuarnBus::newMsg, this, [this](QuarnBusMsg msg) {
            if (msg.type == eGetCountryMsgResp)
                m_bus->sendMsg(SetCountryMsg(msg.bodyByte(0)));
        });
        m_line->feed(fromHead(eGetCountryMsgResp, 0, "\x04") +
                     fromHead(eGetCountryMsgResp, 0, "\x05"));
        disconnect(connection);
        QCOMPARE(m_line->takeWritten(),
                 SetCountryMsg(4).serialize() + SetCountryMsg(5).serialize());
    }
    // A slow board's start-up holds the loop up for longer than the time-out while the
    // head's answers wait in the port; the first check then runs before they are read.
    void heldUpLoop_isNotCountedAsSilence_data()
    {
        QTest::addColumn<bool>("answered");
        QTest::newRow("answer waiting in the port") << true;
        QTest::newRow("no answer: still found silent") << false;
    }

    void heldUpLoop_isNotCountedAsSilence()
    {
        QFETCH(bool, answered);
        constexpr int kSilentAfterMs = 120;
        HeadLink link;
        link.setSilentAfter(kSilentAfterMs);
        link.Watch();
        QSignalSpy silent(&link, &HeadLink::HeadSilent);
        link.noteRequest(eGetPingMsg, BusId::Bbm);
        QTest::qSleep(4 * kSilentAfterMs); // the loop held up: no check, nothing read
        link.Check();
        QVERIFY(!link.IsHeadSilent());
        if (answered) {
            link.noteFrameFrom(BusId::Bbm);
            QVERIFY(!silent.wait(3 * kSilentAfterMs));
        } else {
            QVERIFY(silent.wait(3 * kSilentAfterMs));
            QCOMPARE(silent.at(0).at(0).toStringList(), QStringList{"BBM"});
        }
    }
};

QUARN_TEST_MAIN(TestQuarnBus)
#include "tst_quarnBus.moc"
