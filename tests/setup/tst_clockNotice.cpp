#include "bus/rtcSetDateTimeMsg.h"
#include "services/timeService.h"
#include "settings/powerOnScreenSetting.h"
#include "settings/userSettingsService.h"
#include "setup/clockNotice.h"
#include "setup/dateAndTimeSettingSubscreen.h"
#include "shell/quarn24ex.h"
#include "tests/sim/simHarness.h"
#include "tests/support/quarnTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

// The whole way from the stopped clock's notice to a set clock, against the simulated head
// whose clock reports a stopped oscillator until it is set.
class TestClockNotice : public QObject
{
    Q_OBJECT
private:
    HeadSim* m_sim = nullptr;
    QList<QuarnBusMsg> m_heard;

private slots:
    void initTestCase()
    {
        SimOptions options = SimHarness::fastOptions();
        options.battery.oscillatorStopped = true;
        m_sim = SimHarness::StartProgramOnSim(this, &m_heard, options);
        QVERIFY(m_sim);
        QTRY_VERIFY(UserSettingsService::Get()->IsInitialSyncDone());
    }

    void setDateTime_setWritesTheTimeShown_clearsTheStop_andBackReturns()
    {
        QuarnTest::AllowWarning(QRegularExpression(QStringLiteral("propagateSizeHints")));
        PowerOnScreenSetting().SyncWithMasterValue((unsigned char)0); // the bar graph
        Quarn24EX window;
        window.show();
        auto* notice = window.findChild<ClockNotice*>();
        QTRY_VERIFY(notice->box() && notice->box()->isVisible());
        QVERIFY(TimeService::Get()->IsClockStopped());
        notice->box()->defaultButton()->click();

        auto* page = window.findChild<DateAndTimeSettingSubscreen*>();
        auto* set = window.findChild<QAbstractButton*>(QStringLiteral("setClockButton"));
        QTRY_COMPARE(window.currentPage(), int(Quarn24EX::eSetupPage));
        QTRY_VERIFY(page->isVisible());
        QVERIFY(set->isVisible());
        QVERIFY(set->height() >= 40);
        const QDateTime proposed = TimeService::Get()->ProposedDateTime();
        m_heard.clear();
        set->click();

        // Exactly one clock set, of the time the page shows.
        QTRY_VERIFY(!TimeService::Get()->IsClockStopped()); // the board's answer: running
        QList<QuarnBusMsg> sets;
        for (const QuarnBusMsg& msg : qAsConst(m_heard)) {
            if (msg.type == eRtcSetDateTimeMsg)
                sets << msg;
        }
        QCOMPARE(sets.size(), 1);
        const QDateTime written =
            RtcSetDateTimeMsg(sets.at(0).serializeFrom(BusId::Tsc)).GetDateTime();
        QVERIFY(qAbs(written.secsTo(proposed)) <= 1);
        const QLocale english(QLocale::English, QLocale::UnitedStates);
        QCOMPARE(page->findChild<QLabel*>(QStringLiteral("monthLabel"))->text(),
                 english.toString(written.date(), QStringLiteral("MMMM yyyy")));
        QCOMPARE(page->findChild<QLabel*>(QStringLiteral("dayLabel"))->text(),
                 english.toString(written.date(), QStringLiteral("ddd dd")));
        QCOMPARE(page->findChild<QLabel*>(QStringLiteral("hourLabel"))->text(),
                 written.toString(QStringLiteral("hh")));
        QCOMPARE(page->findChild<QLabel*>(QStringLiteral("minuteLabel"))->text(),
                 written.toString(QStringLiteral("mm")));
        QVERIFY(!set->isVisible());

        // Back goes where the operator was before the notice, not to setup's pages.
        window.findChild<QAbstractButton*>(QStringLiteral("leftArrowButton"))->click();
        QTRY_COMPARE(window.currentPage(), int(Quarn24EX::eBarGraphPage));
    }
};

QUARN_GUI_TEST_MAIN(TestClockNotice)
#include "tst_clockNotice.moc"
