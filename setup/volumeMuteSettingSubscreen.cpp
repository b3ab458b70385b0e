#include "setup/volumeMuteSettingSubscreen.h"

#include "settings/muteUserSetting.h"
#include "settings/volumeUserSetting.h"
#include "ui_volumeMuteSettingSubscreen.h"

VolumeMuteSettingSubscreen::VolumeMuteSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::VolumeMuteSettingSubscreen>())
{
    ui->setupUi(this);
    ui->progressBar->setMaximum(VolumeUserSetting::kMaxVolume);
    // Held down, the buttons repeat every few milliseconds: a pulse on each would buzz.
    ui->volUpButton->setVibrateModuloWhenAutoRepeat(5);
    ui->volDownButton->setVibrateModuloWhenAutoRepeat(5);
}

VolumeMuteSettingSubscreen::~VolumeMuteSettingSubscreen() = default;

void VolumeMuteSettingSubscreen::RefreshUi()
{
    const bool muted = MuteUserSetting().Get() == int(eMuteUserSetting::Muted);
    ui->muteButton->setChecked(muted);
    ui->progressBar->setEnabled(!muted);
    ui->progressBar->setValue(VolumeUserSetting().Get());
}

void VolumeMuteSettingSubscreen::on_volUpButton_clicked()
{
    VolumeUserSetting().Increment();
    RefreshUi();
}

void VolumeMuteSettingSubscreen::on_volDownButton_clicked()
{
    VolumeUserSetting().Decrement();
    RefreshUi();
}

void VolumeMuteSettingSubscreen::on_muteButton_clicked()
{
    MuteUserSetting().Toggle();
    RefreshUi();
}
