#include "bus/msgShapes.h"
#include "bus/quarnBus.h"
#include "services/batteryStatusMonitor.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QSignalSpy>
#include <QTimer>

namespace {

QByteArray fromBbm(QuarnBusMsgType type, const QByteArray& body, quint8 param = 0)
{
    return QuarnBusMsg(type, BusId::Tsc, char(param), body).serializeFrom(BusId::Bbm);
}

// A 17-byte status record with the interpreted bytes set and filler elsewhere.
QByteArray status(quint8 charge, bool ac, quint16 mfgStatus, char filler = 0x11)
{
    QByteArray body(17, filler);
    body[7] = char(ac ? 0x80 : 0x00);
    body[8] = char(mfgStatus >> 8);
    body[9] = char(mfgStatus & 0xFF);
    body[16] = char(charge);
    return body;
}

// The monitor's requests all have empty bodies: 10-byte frames. Gives "type:param" of each.
QStringList requests(const QByteArray& stream)
{
    QStringList out;
    for (int at = 0; at + QuarnBusMsg::kOverhead <= stream.size(); at += QuarnBusMsg::kOverhead) {
        const QuarnBusMsg msg(stream.mid(at, QuarnBusMsg::kOverhead));
        if (msg.destId == quint8(BusId::Bbm) && msg.body.isEmpty())
            out.append(QStringLiteral("%1:%2").arg(int(msg.type)).arg(msg.param, 0, 16));
    }
    return out;
}

const QString kPing = QStringLiteral("17:0");

} // namespace

class TestBatteryStatusMonitor : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;
    BatteryStatusMonitor* m_monitor = nullptr;

    QStringList answer(quint8 smbRegister, const QByteArray& body)
    {
        m_line->feed(fromBbm(eGetSmbMsg, body, smbRegister));
        return requests(m_line->takeWritten());
    }

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
        m_monitor = BatteryStatusMonitor::Get();
    }

    void startup_pingsAtOnceThenEvery2500msAndGathersAfterOneSecond()
    {
        QCOMPARE(m_line->written(), QByteArray::fromHex("828a4645110000009c00"));
        QCOMPARE(m_monitor->GetBatteryPercent(), 0);
        QVERIFY(!m_monitor->IsAcPowerConnected());
        QVERIFY(!m_monitor->HasBatteryData());
        QCOMPARE(m_monitor->GetSerialNumber(), QStringLiteral("SerialNum"));

        auto* poll = m_monitor->findChild<QTimer*>(QStringLiteral("statusPollTimer"));
        QVERIFY(poll && poll->isActive() && !poll->isSingleShot());
        QCOMPARE(poll->interval(), 2500);
        // Nothing answers: the register chain stays at its first request, the ping goes on.
        QByteArray written;
        QTRY_VERIFY_WITH_TIMEOUT(requests(written += m_line->takeWritten()).count(kPing) == 2,
                                 8000);
        QCOMPARE(requests(written), (QStringList{kPing, QStringLiteral("19:17"), kPing}));
    }

    void status_signalsOnlyChargeOrMainsChanges()
    {
        QSignalSpy changed(m_monitor, &BatteryStatusMonitor::StatusChanged);
        auto feed = [&](const QByteArray& body) {
            m_line->feed(fromBbm(eGetPingMsg, body));
            return changed.count();
        };
        // The first answer is news even with the empty record's charge and mains state.
        QCOMPARE(feed(status(0, false, 0x1234)), 1);
        QVERIFY(m_monitor->HasBatteryData());
        QCOMPARE(m_monitor->MfgRawStatus(), quint16(0x1234));
        // Then the same charge and mains state: nothing is stored.
        QCOMPARE(feed(status(0, false, 0x0a0b)), 1);
        QCOMPARE(m_monitor->MfgRawStatus(), quint16(0x1234));

        QCOMPARE(feed(status(57, false, 0x0a0b)), 2);
        QCOMPARE(m_monitor->GetBatteryPercent(), 57);
        QCOMPARE(m_monitor->MfgRawStatus(), quint16(0x0a0b));
        QCOMPARE(feed(status(57, false, 0xffff, 0x7f)), 2);
        QCOMPARE(m_monitor->MfgRawStatus(), quint16(0x0a0b));
        QCOMPARE(feed(status(57, true, 0x0a0b)), 3);
        QVERIFY(m_monitor->IsAcPowerConnected());

        // Ten bytes carry no charge byte: it reads as 0, which differs from 57.
        QSignalSpy low(m_monitor, &BatteryStatusMonitor::BatteryLow);
        QCOMPARE(feed(status(57, true, 0xbeef).left(10)), 4);
        QCOMPARE(m_monitor->GetBatteryPercent(), 0);
        QCOMPARE(m_monitor->MfgRawStatus(), quint16(0xbeef));
        QCOMPARE(feed(status(0, false, 0xbeef).left(9)), 5);
        QCOMPARE(m_monitor->MfgRawStatus(), quint16(0xbe00));
        QCOMPARE(feed(QByteArray(3, char(0x80))), 5);
        // A charge that was never reported is no low battery.
        QCOMPARE(low.count(), 0);
    }

    // Charges in turn, "m" for on mains; the percentages a low-battery notice is given at.
    void lowCharge_data()
    {
        QTest::addColumn<QStringList>("charges");
        QTest::addColumn<QList<int>>("notices");
        QTest::newRow("two discharges")
            << QStringList{"50", "11", "10", "9", "6", "5", "4", "12", "9", "20", "9"}
            << QList<int>{10, 5, 9};
        QTest::newRow("both thresholds at once") << QStringList{"50", "3", "2"} << QList<int>{3};
        QTest::newRow("on mains, then pulled")
            << QStringList{"50", "8m", "4m", "4"} << QList<int>{4};
        QTest::newRow("mains is no re-arm")
            << QStringList{"12", "9", "9m", "9", "16", "10"} << QList<int>{9, 10};
    }

    void lowCharge()
    {
        QFETCH(QStringList, charges);
        QFETCH(QList<int>, notices);
        QSignalSpy low(m_monitor, &BatteryStatusMonitor::BatteryLow);
        for (QString charge : charges) {
            const bool mains = charge.endsWith(QLatin1Char('m'));
            charge.remove(QLatin1Char('m'));
            m_line->feed(fromBbm(eGetPingMsg, status(quint8(charge.toInt()), mains, 0)));
        }
        QList<int> given;
        for (const QList<QVariant>& notice : low)
            given.append(notice.at(0).toInt());
        QCOMPARE(given, notices);
        // Leave a full battery for the next row.
        m_line->feed(fromBbm(eGetPingMsg, status(90, false, 0)));
    }

    void registerChain_readsEveryRegisterInTurn()
    {
        QSignalSpy changed(m_monitor, &BatteryStatusMonitor::StatusChanged);
        QuarnTest::LogCapture log;
        m_line->takeWritten();
        m_monitor->InitiateSmartBatteryRegisterInfoGather();
        QCOMPARE(requests(m_line->takeWritten()), QStringList{"19:17"});

        QCOMPARE(answer(0x17, QByteArray::fromHex("2a0000")), QStringList{"19:1b"});
        QCOMPARE(log.lines(), QStringList{"GetSmbMsg::GetWordResult() -- invalid size!!"});
        log.clear();
        QCOMPARE(answer(0x18, QByteArray::fromHex("0100")), QStringList{});
        QCOMPARE(answer(0x1B, QByteArray::fromHex("e344")), QStringList{"19:1c"});
        QCOMPARE(answer(0x1C, QByteArray::fromHex("39f0")), QStringList{"19:20"});
        QCOMPARE(answer(0x20, QByteArray("ACME Cells\0junk", 15)), QStringList{"19:21"});
        QVERIFY(log.lines().isEmpty());
        QCOMPARE(answer(0x21, QByteArray("Q7")), QStringList{"19:22"});
        QCOMPARE(log.lines(), QStringList{"GetSmbMsg::GetStringResult() -- unexpected size!!"});
        QCOMPARE(answer(0x22, QByteArray("LION\0\0\0\0", 8)), QStringList{});

        QCOMPARE(m_monitor->GetCycleCount(), quint16(0));
        QCOMPARE(m_monitor->MfgDateString(), QStringLiteral("2014/7/3"));
        QCOMPARE(m_monitor->GetSerialNumber(), QStringLiteral("61497"));
        QCOMPARE(m_monitor->GetManufacturerName(), QStringLiteral("ACME Cells"));
        QCOMPARE(m_monitor->GetDeviceName(), QStringLiteral("Q7"));
        QCOMPARE(m_monitor->GetChemistry(), QStringLiteral("LION"));
        QCOMPARE(changed.count(), 0);

        m_monitor->InitiateSmartBatteryRegisterInfoGather();
        QCOMPARE(requests(m_line->takeWritten()), QStringList{"19:17"});
        QCOMPARE(answer(0x17, QByteArray::fromHex("0201")), QStringList{"19:1b"});
        QCOMPARE(m_monitor->GetCycleCount(), quint16(258));
    }

    void manufactureDate_data()
    {
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("worked example") << 0x44E3 << "2014/7/3";
        QTest::newRow("odd year") << 0x46E3 << "2015/7/3";
        QTest::newRow("all ones") << 0xFFFF << "2107/15/31";
        QTest::newRow("zero") << 0 << "1980/0/0";
    }

    void manufactureDate()
    {
        QFETCH(int, raw);
        QFETCH(QString, text);
        QByteArray word;
        appendLe16(word, quint16(raw));
        answer(0x1B, word);
        QCOMPARE(m_monitor->MfgDateString(), text);
    }
};

QUARN_TEST_MAIN(TestBatteryStatusMonitor)
#include "tst_batteryStatusMonitor.moc"
