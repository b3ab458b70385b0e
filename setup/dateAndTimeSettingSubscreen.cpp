#include "setup/dateAndTimeSettingSubscreen.h"

#include "services/timeService.h"
#include "shell/hapticService.h"
#include "ui_dateAndTimeSettingSubscreen.h"

#include <QTimer>

namespace {
constexpr unsigned char kCalendarPulseMs = 50;
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
    ui->calendarWidget->setMinimumDate(kEarliestDate);
    // Held, the steps repeat ten times a second: a pulse on each would buzz.
    for (HapticPushButton* step : {ui->hourIncrementButton, ui->hourDecrementButton,
                                   ui->minuteIncrement, ui->minuteDecrement})
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

QDateTime DateAndTimeSettingSubscreen::Now()
{
    const QDateTime proposed = TimeService::Get()->ProposedDateTime();
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
    // The calendar only when the day changed: selecting it again would turn back a month
    // the operator paged to.
    const QDateTime now = Now();
    if (now.date() != ui->calendarWidget->selectedDate())
        RefreshUi(now);
    else
        showTime(now.time());
}

void DateAndTimeSettingSubscreen::RefreshUi(const QDateTime& dt)
{
    ui->calendarWidget->setSelectedDate(dt.date());
    showTime(dt.time());
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

void DateAndTimeSettingSubscreen::on_calendarWidget_clicked(const QDate& date)
{
    QDateTime dt = Now();
    dt.setDate(date);
    CommonSetAndRefresh(dt);
    HapticService::Get()->OneShotVibrateIfEnabled(kCalendarPulseMs);
}

void DateAndTimeSettingSubscreen::SetTimeShown()
{
    CommonSetAndRefresh(Now());
}
