#include "setup/standbyTimeSettingSubscreen.h"

#include "settings/standbyTimeUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_standbyTimeSettingSubscreen.h"

StandbyTimeSettingSubscreen::StandbyTimeSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::StandbyTimeSettingSubscreen>())
{
    ui->setupUi(this);
}

StandbyTimeSettingSubscreen::~StandbyTimeSettingSubscreen() = default;

void StandbyTimeSettingSubscreen::RefreshUi()
{
    CheckOption(StandbyTimeUserSetting().Get(),
                {{ui->disabledButton, eStandbyTime::Disabled},
                 {ui->time1minButton, eStandbyTime::OneMin},
                 {ui->time2minButton, eStandbyTime::TwoMins},
                 {ui->time3minButton, eStandbyTime::ThreeMins},
                 {ui->time4minButton, eStandbyTime::FourMins},
                 {ui->time5minButton, eStandbyTime::FiveMins}},
                ui->disabledButton);
}

void StandbyTimeSettingSubscreen::on_disabledButton_clicked()
{
    StandbyTimeUserSetting().Set(eStandbyTime::Disabled);
}

void StandbyTimeSettingSubscreen::on_time1minButton_clicked()
{
    StandbyTimeUserSetting().Set(eStandbyTime::OneMin);
}

void StandbyTimeSettingSubscreen::on_time2minButton_clicked()
{
    StandbyTimeUserSetting().Set(eStandbyTime::TwoMins);
}

void StandbyTimeSettingSubscreen::on_time3minButton_clicked()
{
    StandbyTimeUserSetting().Set(eStandbyTime::ThreeMins);
}

void StandbyTimeSettingSubscreen::on_time4minButton_clicked()
{
    StandbyTimeUserSetting().Set(eStandbyTime::FourMins);
}

void StandbyTimeSettingSubscreen::on_time5minButton_clicked()
{
    StandbyTimeUserSetting().Set(eStandbyTime::FiveMins);
}
