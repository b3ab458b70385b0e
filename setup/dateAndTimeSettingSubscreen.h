#pragma once

#include "setup/settingSubscreenWidget.h"

#include <QDateTime>

#include <memory>

class QTimer;

namespace Ui {
class DateAndTimeSettingSubscreen;
}

// Sets the instrument's clock: a calendar for the date, steps for the hour and the minute.
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
    // What the page shows and steps from: the time service's proposal, never before the
    // calendar's first day.
    static QDateTime Now();

public slots:
    void RefreshUi() override;
    void RefreshUi(const QDateTime& dt);
    void CommonSetAndRefresh(const QDateTime& dt);
    void on_hourIncrementButton_clicked();
    void on_hourDecrementButton_clicked();
    void on_minuteIncrement_clicked();
    void on_minuteDecrement_clicked();
    void on_calendarWidget_clicked(const QDate& date);
    // Writes the time shown as it is, as a step would.
    void SetTimeShown();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void followClock();
    void showTime(const QTime& time);

    std::unique_ptr<Ui::DateAndTimeSettingSubscreen> ui;
    QTimer* m_clockTimer = nullptr;
};
