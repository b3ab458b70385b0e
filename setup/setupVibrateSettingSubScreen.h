#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class SetupVibrateSettingSubScreen;
}

// Vibration on target and on touch, and the length of the pulse.
class SetupVibrateSettingSubScreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit SetupVibrateSettingSubScreen(QWidget* parent = nullptr);
    ~SetupVibrateSettingSubScreen() override;

public slots:
    void RefreshUi() override;
    void on_radioButtonOnBoth_clicked();
    void on_radioButtonOnTarget_clicked();
    void on_radioButtonOnTouch_clicked();
    void on_radioButtonOff_clicked();
    void on_radioButtonShort_clicked();
    void on_radioButtonLong_clicked();

private:
    std::unique_ptr<Ui::SetupVibrateSettingSubScreen> ui;
};
