#include "setup/page1SetupSubscreen.h"

#include "settings/regionUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_page1SetupSubscreen.h"

Page1SetupSubScreen::Page1SetupSubScreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::Page1SetupSubScreen>())
{
    ui->setupUi(this);
}

Page1SetupSubScreen::~Page1SetupSubScreen() = default;

void Page1SetupSubScreen::RefreshUi()
{
    // Under EUROPE-CE the operator does not choose the frequency mode.
    OfferButton(ui->freqModeButton, RegionUserSetting().Get() != int(eRegion::EuropeCe));
}

void Page1SetupSubScreen::on_volumeMuteButton_clicked()
{
    emit SubSelected(eVolumeMuteSub);
}

void Page1SetupSubScreen::on_audioModeButton_clicked()
{
    emit SubSelected(eAudioModesSub);
}

void Page1SetupSubScreen::on_txPowerButton_clicked()
{
    emit SubSelected(eTxPowerModeSub);
}

void Page1SetupSubScreen::on_freqModeButton_clicked()
{
    emit SubSelected(eFreqModeSub);
}

void Page1SetupSubScreen::on_dspGainLevelButton_clicked()
{
    emit SubSelected(eDspGainSub);
}

void Page1SetupSubScreen::on_brightnessButton_clicked()
{
    emit SubSelected(eBrightnessSub);
}
