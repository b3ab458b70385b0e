#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class PowerOnScreenSettingSubscreen;
}

// The screen shown at power-on, and whether the internal profile is loaded then.
class PowerOnScreenSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit PowerOnScreenSettingSubscreen(QWidget* parent = nullptr);
    ~PowerOnScreenSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_keypadButton_clicked();
    void on_homeButton_clicked();
    void on_chartButton_clicked();
    void on_barGraphButton_clicked();
    void on_lastButton_clicked();
    void on_internalButton_clicked();

private:
    std::unique_ptr<Ui::PowerOnScreenSettingSubscreen> ui;
};
