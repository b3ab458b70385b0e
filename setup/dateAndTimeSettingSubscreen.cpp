#include "setup/dateAndTimeSettingSubscreen.h"

#include "board/board.h"
#include "services/timeService.h"
#include "shell/hapticService.h"
#include "ui_dateAndTimeSettingSubscreen.h"

namespace {
constexpr unsigned char kCalendarPulseMs = 50;

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

void DateAndTimeSettingSubscreen::RefreshUi()
{
    RefreshUi(Board::Get().Now());
}

void DateAndTimeSettingSubscreen::RefreshUi(const QDateTime& dt)
{
    ui->calendarWidget->setSelectedDate(dt.date());
    ui->hourLabel->setText(twoDigits(dt.time().hour()));
    ui->minuteLabel->setText(twoDigits(dt.time().minute()));
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
    CommonSetAndRefresh(StepHour(Board::Get().Now(), +1));
}

void DateAndTimeSettingSubscreen::on_hourDecrementButton_clicked()
{
    CommonSetAndRefresh(StepHour(Board::Get().Now(), -1));
}

void DateAndTimeSettingSubscreen::on_minuteIncrement_clicked()
{
    CommonSetAndRefresh(StepMinute(Board::Get().Now(), +1));
}

void DateAndTimeSettingSubscreen::on_minuteDecrement_clicked()
{
    CommonSetAndRefresh(StepMinute(Board::Get().Now(), -1));
}

void DateAndTimeSettingSubscreen::on_calendarWidget_clicked(const QDate& date)
{
    QDateTime dt = Board::Get().Now();
    dt.setDate(date);
    CommonSetAndRefresh(dt);
    HapticService::Get()->OneShotVibrateIfEnabled(kCalendarPulseMs);
}
