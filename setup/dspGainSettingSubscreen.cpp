#include "setup/dspGainSettingSubscreen.h"

#include "settings/dspGainLevelUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_dspGainSettingSubscreen.h"

DspGainSettingSubscreen::DspGainSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::DspGainSettingSubscreen>())
{
    ui->setupUi(this);
}

DspGainSettingSubscreen::~DspGainSettingSubscreen() = default;

void DspGainSettingSubscreen::RefreshUi()
{
    CheckOption(DspGainLevelUserSetting().Get(),
                {{ui->highButton, eDspGainLevel::High},
                 {ui->mediumButton, eDspGainLevel::Medium},
                 {ui->lowButton, eDspGainLevel::Low}},
                ui->lowButton);
}

void DspGainSettingSubscreen::on_highButton_clicked()
{
    DspGainLevelUserSetting().Set(eDspGainLevel::High);
}

void DspGainSettingSubscreen::on_mediumButton_clicked()
{
    DspGainLevelUserSetting().Set(eDspGainLevel::Medium);
}

void DspGainSettingSubscreen::on_lowButton_clicked()
{
    DspGainLevelUserSetting().Set(eDspGainLevel::Low);
}
