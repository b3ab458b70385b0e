#include "board/board.h"
#include "bus/quarnBus.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "services/timeService.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

namespace {

QByteArray answer(int type, const QByteArray& body, char src = BusId::Bbm)
{
    return QuarnBusMsg(QuarnBusMsgType(type), BusId::Tsc, 0, body).serializeFrom(src);
}

// An RTC answer in 24-hour form; bit 7 of the seconds byte marks a stopped oscillator.
QByteArray rtcAnswer(int type, const QDateTime& dt, char src = BusId::Bbm, bool stopped = false)
{
    QByteArray body = RtcSetDateTimeMsg(dt, BusId::Tsc).body;
    if (stopped)
        body[0] = char(body.at(0) | 0x80);
    return answer(type, body, src);
}

bool nowIsNear(const QDateTime& expected)
{
    return qAbs(Board::Get().Now().secsTo(expected)) <= 1;
}

const QByteArray kGetRequest = QByteArray::fromHex("828a464517000000a200");
const QDateTime kKnown(QDate(2031, 6, 15), QTime(9, 30, 0));

} // namespace

class TestTimeService : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    void initTestCase()
    {
        m_line = new FakeDevice;
        QuarnBus::Install(m_line);
    }

    void startup_requestsEvery1500msUntilTheFirstAnswer()
    {
        QuarnTest::LogCapture log;
        QElapsedTimer clock;
        clock.start();
        TimeService* service = TimeService::Get();
        QCOMPARE(m_line->takeWritten(), kGetRequest);
        auto* retry = service->findChild<QTimer*>(QStringLiteral("initialSyncRetryTimer"));
        QVERIFY(retry && retry->isSingleShot() && retry->isActive());
        QCOMPARE(retry->interval(), 1500);

        QByteArray written;
        QTRY_VERIFY_WITH_TIMEOUT(
            (written += m_line->takeWritten()).size() >= 2 * kGetRequest.size(), 8000);
        QCOMPARE(written, kGetRequest + kGetRequest);
        QVERIFY(clock.elapsed() >= 2 * 1400);
        QCOMPARE(log.lines().count(QStringLiteral("Hit TimeService::InitialTimeRetry()!")), 2);

        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, Board::Get().Now(), BusId::Mst));
        QVERIFY(retry->isActive());
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, Board::Get().Now()));
        QVERIFY(!retry->isActive());
        log.clear();
        service->InitialSyncRetry();
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, Board::Get().Now()));
        QVERIFY(!retry->isActive());
        QVERIFY(m_line->takeWritten().isEmpty());
        QVERIFY(log.lines().isEmpty());
    }

    void answerFromAnotherDevice_isIgnored()
    {
        QSignalSpy changed(TimeService::Get(), &TimeService::TimeChanged);
        QSignalSpy lost(TimeService::Get(), &TimeService::RtcLostOscillator);
        for (int type : {eRtcSetDateTimeMsg, eRtcGetDateTimeMsg}) {
            for (char src : {BusId::Mst, BusId::Key, BusId::Rad, BusId::Hcc, BusId::Tsc})
                m_line->feed(rtcAnswer(type, kKnown, src, true));
        }
        QCOMPARE(changed.count(), 0);
        QCOMPARE(lost.count(), 0);
        QVERIFY(!nowIsNear(kKnown));
    }

    void toleranceBoundary_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("offsetSecs");
        for (int type : {eRtcGetDateTimeMsg, eRtcSetDateTimeMsg}) {
            for (int offset : {50, -50, 51, -51})
                QTest::addRow("type %d, %+d s", type, offset) << type << offset;
        }
    }

    void toleranceBoundary()
    {
        QFETCH(int, type);
        QFETCH(int, offsetSecs);
        // Half way into the second: the RTC's whole seconds must not meet the fraction.
        Board::Get().SetSystemTime(kKnown.addMSecs(500));
        QSignalSpy changed(TimeService::Get(), &TimeService::TimeChanged);
        QuarnTest::LogCapture log;
        const QDateTime rtc = kKnown.addSecs(offsetSecs);
        m_line->feed(rtcAnswer(type, rtc));
        const bool applied = qAbs(offsetSecs) > 50;
        QCOMPARE(changed.count(), int(applied));
        QVERIFY(nowIsNear(applied ? rtc : kKnown));
        QCOMPARE(log.lines().size(), int(applied));
        if (applied)
            QVERIFY(log.lines().first().startsWith(
                "Set System date and time to:  QDateTime(2031-06-15 09:"));
    }

    void hourForms_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("hourByte");
        QTest::addColumn<int>("hour");
        QTest::newRow("12 AM") << int(eRtcGetDateTimeMsg) << 0x52 << 0;
        QTest::newRow("12 PM") << int(eRtcGetDateTimeMsg) << 0x72 << 12;
        QTest::newRow("11 PM") << int(eRtcSetDateTimeMsg) << 0x71 << 23;
        QTest::newRow("24-hour 23") << int(eRtcSetDateTimeMsg) << 0x23 << 23;
    }

    void hourForms()
    {
        QFETCH(int, type);
        QFETCH(int, hourByte);
        QFETCH(int, hour);
        Board::Get().SetSystemTime(kKnown.addDays(-3));
        QByteArray body = RtcSetDateTimeMsg(kKnown, BusId::Tsc).body;
        body[2] = char(hourByte);
        m_line->feed(answer(type, body));
        QVERIFY(nowIsNear(QDateTime(kKnown.date(), QTime(hour, 30))));
    }

    void oscillatorStop_isReportedOnce()
    {
        QSignalSpy lost(TimeService::Get(), &TimeService::RtcLostOscillator);
        QVERIFY(!TimeService::Get()->DidRtcLoseOscillator());
        // Only the get answer carries the flag that counts.
        m_line->feed(rtcAnswer(eRtcSetDateTimeMsg, Board::Get().Now(), BusId::Bbm, true));
        QCOMPARE(lost.count(), 0);
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, Board::Get().Now(), BusId::Bbm, true));
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, Board::Get().Now(), BusId::Bbm, true));
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, Board::Get().Now()));
        QCOMPARE(lost.count(), 1);
        QVERIFY(TimeService::Get()->DidRtcLoseOscillator());
    }

    void stoppedOscillator_timeIsNotApplied_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("get answer") << int(eRtcGetDateTimeMsg);
        QTest::newRow("set answer") << int(eRtcSetDateTimeMsg);
    }

    void stoppedOscillator_timeIsNotApplied()
    {
        QFETCH(int, type);
        Board::Get().SetSystemTime(kKnown);
        QSignalSpy changed(TimeService::Get(), &TimeService::TimeChanged);
        m_line->feed(rtcAnswer(type, QDateTime(QDate(2000, 1, 1), QTime(0, 5)), BusId::Bbm, true));
        QCOMPARE(changed.count(), 0);
        QVERIFY(nowIsNear(kKnown));
    }

    void setDateTime_setsTheClockAndWritesTheRtc()
    {
        const QDateTime thursday(QDate(2026, 3, 5), QTime(14, 7, 9));
        Board::Get().SetSystemTime(thursday.addSecs(10));
        m_line->takeWritten();
        QSignalSpy changed(TimeService::Get(), &TimeService::TimeChanged);
        QuarnTest::LogCapture log;

        // Within tolerance of the clock, yet the operator's input always applies.
        TimeService::Get()->SetDateTime(thursday);
        QCOMPARE(changed.count(), 1);
        QVERIFY(nowIsNear(thursday));
        QVERIFY(log.lines().value(0).startsWith(
            "Set System date and time to:  QDateTime(2026-03-05 14:07:09"));
        QCOMPARE(m_line->takeWritten().toHex(' '),
                 QByteArray("82 8a 46 45 16 00 07 00 09 07 14 04 05 03 26 fe 00"));

        // The RTC echoing what it stored changes nothing more.
        m_line->feed(rtcAnswer(eRtcSetDateTimeMsg, thursday));
        QCOMPARE(changed.count(), 1);
    }

    // Both only lag, the stopped clock and a system clock it never set: the later is
    // offered. The clock counts as stopped until the board answers with a running one.
    void stoppedClock_proposesTheLaterTime_untilSet()
    {
        TimeService* service = TimeService::Get();
        const auto proposes = [service](const QDateTime& expected) {
            return qAbs(service->ProposedDateTime().secsTo(expected)) <= 1;
        };
        Board::Get().SetSystemTime(kKnown);
        QSignalSpy stopped(service, &TimeService::ClockStoppedChanged);
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, kKnown.addSecs(-3600), BusId::Bbm, true));
        QVERIFY(service->IsClockStopped());
        QVERIFY(proposes(kKnown));
        m_line->feed(rtcAnswer(eRtcGetDateTimeMsg, kKnown.addDays(3), BusId::Bbm, true));
        QVERIFY(proposes(kKnown.addDays(3)));
        QVERIFY(nowIsNear(kKnown));

        const QDateTime chosen = kKnown.addSecs(120);
        service->SetDateTime(chosen);
        QVERIFY(proposes(chosen));
        m_line->feed(rtcAnswer(eRtcSetDateTimeMsg, chosen, BusId::Bbm, true));
        QVERIFY(service->IsClockStopped());
        m_line->feed(rtcAnswer(eRtcSetDateTimeMsg, chosen));
        QVERIFY(!service->IsClockStopped());
        QCOMPARE(stopped.count(), 2);
        QCOMPARE(stopped.at(0).at(0).toBool(), true);
        QCOMPARE(stopped.at(1).at(0).toBool(), false);
    }
};

QUARN_TEST_MAIN(TestTimeService)
#include "tst_timeService.moc"
