#pragma once

#include "setup/settingSubscreenWidget.h"

#include <QDateTime>

#include <memory>

class QTimer;

namespace Ui {
class DateAndTimeSettingSubscreen;
}

// Sets the instrument's clock: steps for the month, the day, the hour and the minute.
// Every press takes effect at once through the time service, which also writes the battery
// board's clock; the subscreen keeps no time of its own. The setup screen offers "Set"
// beside it while the battery board's clock is stopped: the time shown may be right, and
// leaving without a touch would leave the clock stopped.
class DateAndTimeSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    static const QDate kEarliestDate;

    explicit DateAndTimeSettingSubscreen(QWidget* parent = nullptr);
    ~DateAndTimeSettingSubscreen() override;

    // The time a step button makes of now: the hour or the minute wraps round within its own
    // range (no carry), seconds and milliseconds are dropped.
    static QDateTime StepHour(const QDateTime& now, int step);
    static QDateTime StepMinute(const QDateTime& now, int step);
    // The date steps keep the time of day. The month carries into the year, clamps the day
    // to the month's length and never goes before kEarliestDate's month; the day wraps
    // round within its month (no carry).
    static QDateTime StepMonth(const QDateTime& now, int step);
    static QDateTime StepDay(const QDateTime& now, int step);
    // What the page shows and steps from: the time service's proposal, never before the
    // earliest date.
    static QDateTime Now();

public slots:
    void RefreshUi() override;
    void RefreshUi(const QDateTime& dt);
    void CommonSetAndRefresh(const QDateTime& dt);
    void on_hourIncrementButton_clicked();
    void on_hourDecrementButton_clicked();
    void on_minuteIncrement_clicked();
    void on_minuteDecrement_clicked();
    void on_monthIncrement_clicked();
    void on_monthDecrement_clicked();
    void on_dayIncrement_clicked();
    void on_dayDecrement_clicked();
    // Writes the time shown as it is, as a step would.
    void SetTimeShown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void followClock();
    void showDate(const QDate& date);
    void showTime(const QTime& time);

    std::unique_ptr<Ui::DateAndTimeSettingSubscreen> ui;
    QTimer* m_clockTimer = nullptr;
};
