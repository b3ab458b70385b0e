#include "setup/dateAndTimeSettingSubscreen.h"

#include "services/timeService.h"
#include "shell/hapticPushButton.h"
#include "ui_dateAndTimeSettingSubscreen.h"

#include <QLocale>
#include <QTimer>

namespace {
constexpr unsigned int kStepPulseEvery = 5; // as the volume steps
constexpr int kClockFollowMs = 1000;

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}
} // namespace

const QDate DateAndTimeSettingSubscreen::kEarliestDate(2014, 1, 1);

DateAndTimeSettingSubscreen::DateAndTimeSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::DateAndTimeSettingSubscreen>())
{
    ui->setupUi(this);
    // Held, the steps repeat ten times a second: a pulse on each would buzz.
    for (HapticPushButton* step :
         {ui->monthIncrement, ui->monthDecrement, ui->dayIncrement, ui->dayDecrement,
          ui->hourIncrementButton, ui->hourDecrementButton, ui->minuteIncrement,
          ui->minuteDecrement})
        step->setVibrateModuloWhenAutoRepeat(kStepPulseEvery);

    // The labels follow the clock while shown, so that SetTimeShown() writes what they show.
    m_clockTimer = new QTimer(this);
    m_clockTimer->setInterval(kClockFollowMs);
    connect(m_clockTimer, &QTimer::timeout, this, &DateAndTimeSettingSubscreen::followClock);
}

DateAndTimeSettingSubscreen::~DateAndTimeSettingSubscreen() = default;

QDateTime DateAndTimeSettingSubscreen::StepHour(const QDateTime& now, int step)
{
    const int hour = ((now.time().hour() + step) % 24 + 24) % 24;
    return QDateTime(now.date(), QTime(hour, now.time().minute()), now.timeSpec());
}

QDateTime DateAndTimeSettingSubscreen::StepMinute(const QDateTime& now, int step)
{
    const int minute = ((now.time().minute() + step) % 60 + 60) % 60;
    return QDateTime(now.date(), QTime(now.time().hour(), minute), now.timeSpec());
}

QDateTime DateAndTimeSettingSubscreen::StepMonth(const QDateTime& now, int step)
{
    const QDate date = now.date();
    const int earliest = kEarliestDate.year() * 12 + kEarliestDate.month() - 1;
    const int month = qMax(earliest, date.year() * 12 + date.month() - 1 + step);
    const QDate first(month / 12, month % 12 + 1, 1);
    QDateTime dt = now;
    dt.setDate(first.addDays(qMin(date.day(), first.daysInMonth()) - 1));
    return dt;
}

QDateTime DateAndTimeSettingSubscreen::StepDay(const QDateTime& now, int step)
{
    const QDate date = now.date();
    const int days = date.daysInMonth();
    const int day = ((date.day() - 1 + step) % days + days) % days + 1;
    QDateTime dt = now;
    dt.setDate(QDate(date.year(), date.month(), day));
    return dt;
}

QDateTime DateAndTimeSettingSubscreen::Now()
{
    QDateTime proposed = TimeService::Get()->ProposedDateTime();
    if (proposed.date() >= kEarliestDate)
        return proposed;
    return QDateTime(kEarliestDate, proposed.time(), proposed.timeSpec());
}

void DateAndTimeSettingSubscreen::RefreshUi()
{
    RefreshUi(Now());
}

void DateAndTimeSettingSubscreen::showEvent(QShowEvent* event)
{
    SettingSubscreenWidget::showEvent(event);
    m_clockTimer->start();
}

void DateAndTimeSettingSubscreen::hideEvent(QHideEvent* event)
{
    m_clockTimer->stop();
    SettingSubscreenWidget::hideEvent(event);
}

void DateAndTimeSettingSubscreen::followClock()
{
    RefreshUi(Now());
}

void DateAndTimeSettingSubscreen::RefreshUi(const QDateTime& dt)
{
    showDate(dt.date());
    showTime(dt.time());
}

void DateAndTimeSettingSubscreen::showDate(const QDate& date)
{
    // English names whatever the host's locale, as every other text on the panel.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    ui->monthLabel->setText(english.toString(date, QStringLiteral("MMMM yyyy")));
    ui->dayLabel->setText(english.toString(date, QStringLiteral("ddd dd")));
}

void DateAndTimeSettingSubscreen::showTime(const QTime& time)
{
    ui->hourLabel->setText(twoDigits(time.hour()));
    ui->minuteLabel->setText(twoDigits(time.minute()));
}

void DateAndTimeSettingSubscreen::CommonSetAndRefresh(const QDateTime& dt)
{
    TimeService::Get()->SetDateTime(dt);
    RefreshUi(dt);
}

// Each step starts from the clock, never from the labels: the clock moved on since they
// were drawn.
void DateAndTimeSettingSubscreen::on_hourIncrementButton_clicked()
{
    CommonSetAndRefresh(StepHour(Now(), +1));
}

void DateAndTimeSettingSubscreen::on_hourDecrementButton_clicked()
{
    CommonSetAndRefresh(StepHour(Now(), -1));
}

void DateAndTimeSettingSubscreen::on_minuteIncrement_clicked()
{
    CommonSetAndRefresh(StepMinute(Now(), +1));
}

void DateAndTimeSettingSubscreen::on_minuteDecrement_clicked()
{
    CommonSetAndRefresh(StepMinute(Now(), -1));
}

void DateAndTimeSettingSubscreen::on_monthIncrement_clicked()
{
    CommonSetAndRefresh(StepMonth(Now(), +1));
}

void DateAndTimeSettingSubscreen::on_monthDecrement_clicked()
{
    CommonSetAndRefresh(StepMonth(Now(), -1));
}

void DateAndTimeSettingSubscreen::on_dayIncrement_clicked()
{
    CommonSetAndRefresh(StepDay(Now(), +1));
}

void DateAndTimeSettingSubscreen::on_dayDecrement_clicked()
{
    CommonSetAndRefresh(StepDay(Now(), -1));
}

void DateAndTimeSettingSubscreen::SetTimeShown()
{
    CommonSetAndRefresh(Now());
}
