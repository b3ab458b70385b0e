#include "setup/setupBrightnessSettingSubScreen.h"

#include "settings/brightnessUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_setupBrightnessSettingSubScreen.h"

SetupBrightnessSettingSubScreen::SetupBrightnessSettingSubScreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::SetupBrightnessSettingSubScreen>())
{
    ui->setupUi(this);
}

SetupBrightnessSettingSubScreen::~SetupBrightnessSettingSubScreen() = default;

void SetupBrightnessSettingSubScreen::RefreshUi()
{
    CheckOption(BrightnessUserSetting().Get(),
                {{ui->highButton, eBrightness::High},
                 {ui->mediumButton, eBrightness::Medium},
                 {ui->dimButton, eBrightness::Dim}},
                ui->highButton);
}

void SetupBrightnessSettingSubScreen::on_highButton_clicked()
{
    BrightnessUserSetting().Set(eBrightness::High);
}

void SetupBrightnessSettingSubScreen::on_mediumButton_clicked()
{
    BrightnessUserSetting().Set(eBrightness::Medium);
}

void SetupBrightnessSettingSubScreen::on_dimButton_clicked()
{
    BrightnessUserSetting().Set(eBrightness::Dim);
}
