#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class AutoPowerOffSettingSubscreen;
}

// Idle time before the instrument switches itself off.
class AutoPowerOffSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit AutoPowerOffSettingSubscreen(QWidget* parent = nullptr);
    ~AutoPowerOffSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_disabledButton_clicked();
    void on_time5minButton_clicked();
    void on_time10minButton_clicked();
    void on_time15minButton_clicked();
    void on_time20minButton_clicked();
    void on_time30minButton_clicked();

private:
    std::unique_ptr<Ui::AutoPowerOffSettingSubscreen> ui;
};
