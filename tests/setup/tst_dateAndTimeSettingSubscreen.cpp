#include "board/board.h"
#include "bus/rtcSetDateTimeMsg.h"
#include "services/timeService.h"
#include "setup/clockNotice.h"
#include "setup/dateAndTimeSettingSubscreen.h"
#include "setup/setupscreen.h"
#include "shell/panelDialogs.h"
#include "shell/slidingstackedwidget.h"
#include "tests/support/busTraffic.h"
#include "tests/support/fakeDevice.h"
#include "tests/support/quarnTest.h"
#include "tests/support/settledLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

namespace {
const QDate kDay(2031, 6, 15);

QByteArray stoppedClockAnswer()
{
    QByteArray body = RtcSetDateTimeMsg(QDateTime(QDate(2000, 1, 1), QTime(0, 0)), BusId::Tsc).body;
    body[0] = char(body.at(0) | 0x80);
    return QuarnBusMsg(eRtcGetDateTimeMsg, BusId::Tsc, 0, body).serializeFrom(BusId::Bbm);
}
} // namespace

class TestDateAndTime : public QObject
{
    Q_OBJECT
private:
    FakeDevice* m_line = nullptr;

private slots:
    // The offscreen platform says so of every window with a layout.
    void init()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
    }

    void initTestCase()
    {
        init();
        m_line = QuarnTest::InstallSettledLine();
        TimeService::Get();
        m_line->takeWritten();
    }

    void steps_wrapWithoutCarry_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QTime>("set");
        QTest::newRow("23:59:41 hour +")
            << QTime(23, 59, 41) << "hourIncrementButton" << QTime(0, 59);
        QTest::newRow("23:59:41 minute +")
            << QTime(23, 59, 41) << "minuteIncrement" << QTime(23, 0);
        QTest::newRow("00:00 hour -") << QTime(0, 0, 5) << "hourDecrementButton" << QTime(23, 0);
        QTest::newRow("00:00 minute -") << QTime(0, 0, 5) << "minuteDecrement" << QTime(0, 59);
        QTest::newRow("12:30 hour +") << QTime(12, 30) << "hourIncrementButton" << QTime(13, 30);
        QTest::newRow("12:30 minute -") << QTime(12, 30) << "minuteDecrement" << QTime(12, 29);
    }

    void steps_wrapWithoutCarry()
    {
        QFETCH(QTime, now);
        QFETCH(QString, button);
        QFETCH(QTime, set);
        DateAndTimeSettingSubscreen screen;
        screen.show();
        // The labels are stale on purpose: the step starts from the clock.
        Board::Get().SetSystemTime(QDateTime(kDay, now));
        m_line->takeWritten();
        screen.findChild<QAbstractButton*>(button)->click();

        const QDateTime expected(kDay, set);
        QVERIFY(qAbs(Board::Get().Now().secsTo(expected)) <= 1);
        QCOMPARE(BusTraffic::take(m_line),
                 QStringList{BusTraffic::describe(RtcSetDateTimeMsg(expected, BusId::Bbm))});
        QCOMPARE(screen.findChild<QLabel*>("hourLabel")->text(), set.toString("hh"));
        QCOMPARE(screen.findChild<QLabel*>("minuteLabel")->text(), set.toString("mm"));
        QCOMPARE(screen.findChild<QLabel*>("monthLabel")->text(), QStringLiteral("June 2031"));
        QCOMPARE(screen.findChild<QLabel*>("dayLabel")->text(), QStringLiteral("Sun 15"));
    }

    void dateSteps_keepTheTime_atTheBoundaries_data()
    {
        QTest::addColumn<QDate>("now");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QDate>("set");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::newRow("Dec + carries into the year")
            << QDate(2026, 12, 9) << "monthIncrement" << QDate(2027, 1, 9) << "January 2027"
            << "Sat 09";
        QTest::newRow("Jan - carries back a year")
            << QDate(2026, 1, 9) << "monthDecrement" << QDate(2025, 12, 9) << "December 2025"
            << "Tue 09";
        QTest::newRow("31 Jan + is 28 Feb")
            << QDate(2031, 1, 31) << "monthIncrement" << QDate(2031, 2, 28) << "February 2031"
            << "Fri 28";
        QTest::newRow("31 Jan + is 29 Feb, leap year")
            << QDate(2032, 1, 31) << "monthIncrement" << QDate(2032, 2, 29) << "February 2032"
            << "Sun 29";
        QTest::newRow("day 31 + wraps to 1")
            << QDate(2031, 3, 31) << "dayIncrement" << QDate(2031, 3, 1) << "March 2031"
            << "Sat 01";
        QTest::newRow("day 1 - wraps to 29 Feb")
            << QDate(2032, 2, 1) << "dayDecrement" << QDate(2032, 2, 29) << "February 2032"
            << "Sun 29";
        QTest::newRow("January 2014 - stays")
            << QDate(2014, 1, 20) << "monthDecrement" << QDate(2014, 1, 20) << "January 2014"
            << "Mon 20";
    }

    void dateSteps_keepTheTime_atTheBoundaries()
    {
        QFETCH(QDate, now);
        QFETCH(QString, button);
        QFETCH(QDate, set);
        QFETCH(QString, month);
        QFETCH(QString, day);
        DateAndTimeSettingSubscreen screen;
        screen.show();
        Board::Get().SetSystemTime(QDateTime(now, QTime(8, 7, 6)));
        m_line->takeWritten();
        screen.findChild<QAbstractButton*>(button)->click();

        // The seconds run on: the step may land a second after the time it started from.
        const QDateTime expected(set, QTime(8, 7, 6));
        QVERIFY(qAbs(Board::Get().Now().secsTo(expected)) <= 1);
        const QStringList written = BusTraffic::take(m_line);
        QVERIFY2(
            written == QStringList{BusTraffic::describe(RtcSetDateTimeMsg(expected, BusId::Bbm))} ||
                written == QStringList{BusTraffic::describe(
                               RtcSetDateTimeMsg(expected.addSecs(1), BusId::Bbm))},
            qPrintable(written.join(QLatin1Char('\n'))));
        QCOMPARE(screen.findChild<QLabel*>("monthLabel")->text(), month);
        QCOMPARE(screen.findChild<QLabel*>("dayLabel")->text(), day);
    }

    void stoppedClock_noticeOnceAndItLeadsToTheSubscreen()
    {
        QWidget panel;
        panel.resize(240, 320);
        panel.show();
        ClockNotice notice(&panel);
        QSignalSpy chosen(&notice, &ClockNotice::setDateTimeSelected);
        QVERIFY(!notice.box());
        m_line->feed(stoppedClockAnswer());
        QTRY_VERIFY(notice.box() && notice.box()->isVisible());
        QVERIFY(notice.box()->text().contains(QLatin1String("date and time")));
        QAbstractButton* later = notice.box()->buttons().at(1);
        later->click();
        QTRY_VERIFY(!notice.box());
        QCOMPARE(chosen.count(), 0);
        m_line->feed(stoppedClockAnswer());
        QCoreApplication::processEvents();
        QVERIFY(!notice.box());

        // A notice made after the clock answered shows all the same.
        ClockNotice late(&panel);
        QSignalSpy lateChosen(&late, &ClockNotice::setDateTimeSelected);
        QTRY_VERIFY(late.box() && late.box()->isVisible());
        late.box()->defaultButton()->click();
        QCOMPARE(lateChosen.count(), 1);

        SetupScreen setup;
        setup.show();
        QTRY_COMPARE(setup.findChild<QLabel*>("pageLabel")->text(), QStringLiteral("1/3"));
        setup.ShowDateAndTime();
        auto* stack = setup.findChild<SlidingStackedWidget*>("stackedSetupWidget");
        QTRY_COMPARE(stack->currentWidget(), setup.subScreen(eDateAndTimeSub));
        QTRY_COMPARE(setup.findChild<QLabel*>("pageLabel")->text(), QString());
    }
};

QUARN_GUI_TEST_MAIN(TestDateAndTime)
#include "tst_dateAndTimeSettingSubscreen.moc"
