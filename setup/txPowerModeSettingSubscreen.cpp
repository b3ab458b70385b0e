#include "setup/txPowerModeSettingSubscreen.h"

#include "settings/txPowerModeUserSetting.h"
#include "settings/userSettingsService.h"
#include "setup/optionButtons.h"
#include "ui_txPowerModeSettingSubscreen.h"

TxPowerModeSettingSubscreen::TxPowerModeSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::TxPowerModeSettingSubscreen>())
{
    ui->setupUi(this);
    connect(UserSettingsService::Get(), &UserSettingsService::PowerModeSettingChanged, this,
            &TxPowerModeSettingSubscreen::PowerModeChanged);
}

TxPowerModeSettingSubscreen::~TxPowerModeSettingSubscreen() = default;

void TxPowerModeSettingSubscreen::PowerModeChanged()
{
    RefreshUi();
}

void TxPowerModeSettingSubscreen::RefreshUi()
{
    CheckOption(TxPowerModeUserSetting().Get(),
                {{ui->autoButton, eTxPowerModeUserSetting::Auto},
                 {ui->manualButton, eTxPowerModeUserSetting::Manual}},
                ui->autoButton);
}

void TxPowerModeSettingSubscreen::on_autoButton_clicked()
{
    TxPowerModeUserSetting().Set(eTxPowerModeUserSetting::Auto);
}

void TxPowerModeSettingSubscreen::on_manualButton_clicked()
{
    TxPowerModeUserSetting().Set(eTxPowerModeUserSetting::Manual);
}
