#include "setup/setupVibrateSettingSubScreen.h"

#include "settings/hapticPulseSetting.h"
#include "settings/hapticUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_setupVibrateSettingSubScreen.h"

SetupVibrateSettingSubScreen::SetupVibrateSettingSubScreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::SetupVibrateSettingSubScreen>())
{
    ui->setupUi(this);
}

SetupVibrateSettingSubScreen::~SetupVibrateSettingSubScreen() = default;

void SetupVibrateSettingSubScreen::RefreshUi()
{
    CheckOption(HapticUserSetting().Get(),
                {{ui->radioButtonOnBoth, eHapticUserSetting::OnBoth},
                 {ui->radioButtonOnTarget, eHapticUserSetting::OnTarget},
                 {ui->radioButtonOnTouch, eHapticUserSetting::OnTouch},
                 {ui->radioButtonOff, eHapticUserSetting::Off}},
                nullptr);
    CheckOption(
        HapticPulseSetting().Get(),
        {{ui->radioButtonShort, ePulseWidth::Short}, {ui->radioButtonLong, ePulseWidth::Long}},
        ui->radioButtonShort);
}

void SetupVibrateSettingSubScreen::on_radioButtonOnBoth_clicked()
{
    HapticUserSetting().Set(eHapticUserSetting::OnBoth);
}

void SetupVibrateSettingSubScreen::on_radioButtonOnTarget_clicked()
{
    HapticUserSetting().Set(eHapticUserSetting::OnTarget);
}

void SetupVibrateSettingSubScreen::on_radioButtonOnTouch_clicked()
{
    HapticUserSetting().Set(eHapticUserSetting::OnTouch);
}

void SetupVibrateSettingSubScreen::on_radioButtonOff_clicked()
{
    HapticUserSetting().Set(eHapticUserSetting::Off);
}

void SetupVibrateSettingSubScreen::on_radioButtonShort_clicked()
{
    HapticPulseSetting().Set(ePulseWidth::Short);
}

void SetupVibrateSettingSubScreen::on_radioButtonLong_clicked()
{
    HapticPulseSetting().Set(ePulseWidth::Long);
}
