#include "setup/headlightSettingSubscreen.h"

#include "settings/headlightUserSetting.h"
#include "settings/userSettingsService.h"
#include "setup/optionButtons.h"
#include "ui_headlightSettingSubscreen.h"

HeadlightSettingSubscreen::HeadlightSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::HeadlightSettingSubscreen>())
{
    ui->setupUi(this);
    connect(UserSettingsService::Get(), &UserSettingsService::HeadlightSettingChanged, this,
            &HeadlightSettingSubscreen::HeadlightChanged);
}

HeadlightSettingSubscreen::~HeadlightSettingSubscreen() = default;

void HeadlightSettingSubscreen::HeadlightChanged()
{
    RefreshUi();
}

void HeadlightSettingSubscreen::RefreshUi()
{
    CheckOption(
        HeadlightUserSetting().Get(),
        {{ui->onButton, eHeadlightUserSetting::On}, {ui->offButton, eHeadlightUserSetting::Off}},
        ui->offButton);
}

void HeadlightSettingSubscreen::on_onButton_clicked()
{
    HeadlightUserSetting().Set(eHeadlightUserSetting::On);
}

void HeadlightSettingSubscreen::on_offButton_clicked()
{
    HeadlightUserSetting().Set(eHeadlightUserSetting::Off);
}
