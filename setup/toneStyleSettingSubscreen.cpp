#include "setup/toneStyleSettingSubscreen.h"

#include "settings/toneStyleUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_toneStyleSettingSubscreen.h"

ToneStyleSettingSubscreen::ToneStyleSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::ToneStyleSettingSubscreen>())
{
    ui->setupUi(this);
}

ToneStyleSettingSubscreen::~ToneStyleSettingSubscreen() = default;

void ToneStyleSettingSubscreen::RefreshUi()
{
    CheckOption(ToneStyleUserSetting().Get(),
                {{ui->btnToneStyle2nd, eToneStyleUserSetting::SecondOnly},
                 {ui->btnToneStyle3rd, eToneStyleUserSetting::ThirdOnly},
                 {ui->btnToneStyleSame, eToneStyleUserSetting::SecondThirdSame},
                 {ui->btnToneStyleDiff, eToneStyleUserSetting::SecondThirdDiff}},
                ui->btnToneStyle2nd);
}

void ToneStyleSettingSubscreen::on_btnToneStyle2nd_clicked()
{
    ToneStyleUserSetting().Set(eToneStyleUserSetting::SecondOnly);
}

void ToneStyleSettingSubscreen::on_btnToneStyle3rd_clicked()
{
    ToneStyleUserSetting().Set(eToneStyleUserSetting::ThirdOnly);
}

void ToneStyleSettingSubscreen::on_btnToneStyleSame_clicked()
{
    ToneStyleUserSetting().Set(eToneStyleUserSetting::SecondThirdSame);
}

void ToneStyleSettingSubscreen::on_btnToneStyleDiff_clicked()
{
    ToneStyleUserSetting().Set(eToneStyleUserSetting::SecondThirdDiff);
}
