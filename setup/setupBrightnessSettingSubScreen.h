#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class SetupBrightnessSettingSubScreen;
}

// Backlight level of this screen, kept by the head.
class SetupBrightnessSettingSubScreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit SetupBrightnessSettingSubScreen(QWidget* parent = nullptr);
    ~SetupBrightnessSettingSubScreen() override;

public slots:
    void RefreshUi() override;
    void on_highButton_clicked();
    void on_mediumButton_clicked();
    void on_dimButton_clicked();

private:
    std::unique_ptr<Ui::SetupBrightnessSettingSubScreen> ui;
};
