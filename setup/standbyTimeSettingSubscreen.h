#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class StandbyTimeSettingSubscreen;
}

// Idle time before the head goes to standby.
class StandbyTimeSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit StandbyTimeSettingSubscreen(QWidget* parent = nullptr);
    ~StandbyTimeSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_disabledButton_clicked();
    void on_time1minButton_clicked();
    void on_time2minButton_clicked();
    void on_time3minButton_clicked();
    void on_time4minButton_clicked();
    void on_time5minButton_clicked();

private:
    std::unique_ptr<Ui::StandbyTimeSettingSubscreen> ui;
};
