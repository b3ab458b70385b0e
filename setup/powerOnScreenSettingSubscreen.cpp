#include "setup/powerOnScreenSettingSubscreen.h"

#include "settings/powerOnScreenSetting.h"
#include "settings/startupParametersSetting.h"
#include "setup/optionButtons.h"
#include "ui_powerOnScreenSettingSubscreen.h"

PowerOnScreenSettingSubscreen::PowerOnScreenSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::PowerOnScreenSettingSubscreen>())
{
    ui->setupUi(this);
}

PowerOnScreenSettingSubscreen::~PowerOnScreenSettingSubscreen() = default;

void PowerOnScreenSettingSubscreen::RefreshUi()
{
    CheckOption(PowerOnScreenSetting().Get(),
                {{ui->keypadButton, ePowerOnScreen::Spectral},
                 {ui->homeButton, ePowerOnScreen::HomeScreen},
                 {ui->chartButton, ePowerOnScreen::ChartRecorder},
                 {ui->barGraphButton, ePowerOnScreen::BarGraph}},
                ui->barGraphButton);
    CheckOption(StartupParametersSetting().Get(),
                {{ui->lastButton, eStartParameterUserSetting::Last},
                 {ui->internalButton, eStartParameterUserSetting::Internal}},
                ui->lastButton);
}

void PowerOnScreenSettingSubscreen::on_keypadButton_clicked()
{
    PowerOnScreenSetting().Set(ePowerOnScreen::Spectral);
}

void PowerOnScreenSettingSubscreen::on_homeButton_clicked()
{
    PowerOnScreenSetting().Set(ePowerOnScreen::HomeScreen);
}

void PowerOnScreenSettingSubscreen::on_chartButton_clicked()
{
    PowerOnScreenSetting().Set(ePowerOnScreen::ChartRecorder);
}

void PowerOnScreenSettingSubscreen::on_barGraphButton_clicked()
{
    PowerOnScreenSetting().Set(ePowerOnScreen::BarGraph);
}

void PowerOnScreenSettingSubscreen::on_lastButton_clicked()
{
    StartupParametersSetting().Set(eStartParameterUserSetting::Last);
}

void PowerOnScreenSettingSubscreen::on_internalButton_clicked()
{
    StartupParametersSetting().Set(eStartParameterUserSetting::Internal);
}
