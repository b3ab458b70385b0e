#include "setup/autoPowerOffSettingSubscreen.h"

#include "settings/autoPowerOffUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_autoPowerOffSettingSubscreen.h"

AutoPowerOffSettingSubscreen::AutoPowerOffSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::AutoPowerOffSettingSubscreen>())
{
    ui->setupUi(this);
}

AutoPowerOffSettingSubscreen::~AutoPowerOffSettingSubscreen() = default;

void AutoPowerOffSettingSubscreen::RefreshUi()
{
    CheckOption(AutoPowerOffUserSetting().Get(),
                {{ui->disabledButton, eAutoPowerOff::Disabled},
                 {ui->time5minButton, eAutoPowerOff::FiveMins},
                 {ui->time10minButton, eAutoPowerOff::TenMins},
                 {ui->time15minButton, eAutoPowerOff::FifteenMins},
                 {ui->time20minButton, eAutoPowerOff::TwentyMins},
                 {ui->time30minButton, eAutoPowerOff::ThirtyMins}},
                ui->disabledButton);
}

void AutoPowerOffSettingSubscreen::on_disabledButton_clicked()
{
    AutoPowerOffUserSetting().Set(eAutoPowerOff::Disabled);
}

void AutoPowerOffSettingSubscreen::on_time5minButton_clicked()
{
    AutoPowerOffUserSetting().Set(eAutoPowerOff::FiveMins);
}

void AutoPowerOffSettingSubscreen::on_time10minButton_clicked()
{
    AutoPowerOffUserSetting().Set(eAutoPowerOff::TenMins);
}

void AutoPowerOffSettingSubscreen::on_time15minButton_clicked()
{
    AutoPowerOffUserSetting().Set(eAutoPowerOff::FifteenMins);
}

void AutoPowerOffSettingSubscreen::on_time20minButton_clicked()
{
    AutoPowerOffUserSetting().Set(eAutoPowerOff::TwentyMins);
}

void AutoPowerOffSettingSubscreen::on_time30minButton_clicked()
{
    AutoPowerOffUserSetting().Set(eAutoPowerOff::ThirtyMins);
}
