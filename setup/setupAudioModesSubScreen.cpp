#include "setup/setupAudioModesSubScreen.h"

#include "settings/adminOptionsSettings.h"
#include "settings/audioModeUserSetting.h"
#include "settings/audioSourceUserSetting.h"
#include "settings/userSettingsService.h"
#include "setup/optionButtons.h"
#include "ui_setupAudioModesSubScreen.h"

SetupAudioModesSubScreen::SetupAudioModesSubScreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::SetupAudioModesSubScreen>())
{
    ui->setupUi(this);
    // A new region makes the head report new admin options, which decide the listening modes.
    connect(UserSettingsService::Get(), &UserSettingsService::RegionSettingChanged, this,
            &SetupAudioModesSubScreen::RefreshUi);
}

SetupAudioModesSubScreen::~SetupAudioModesSubScreen() = default;

void SetupAudioModesSubScreen::RefreshUi()
{
    AudioModeUserSetting mode;
    const bool listening = AdminOptionsSettings().IsHarmonicListeningAllowed();
    for (QAbstractButton* button : {ui->audioListen2ndHarmonicAM, ui->audioListen2ndHarmonicFM,
                                    ui->audioListen3rdHarmonicAM, ui->audioListen3rdHarmonicFM})
        OfferButton(button, listening);
    if (!listening)
        mode.Set(eAudioModeUserSetting::Tone);
    const int stored = mode.Get();
    CheckOption(stored,
                {{ui->audioToneButton, eAudioModeUserSetting::Tone},
                 {ui->audioListen2ndHarmonicAM, eAudioModeUserSetting::Rx2Am},
                 {ui->audioListen2ndHarmonicFM, eAudioModeUserSetting::Rx2Fm},
                 {ui->audioListen3rdHarmonicAM, eAudioModeUserSetting::Rx3Am},
                 {ui->audioListen3rdHarmonicFM, eAudioModeUserSetting::Rx3Fm}},
                stored == int(eAudioModeUserSetting::Off) ? nullptr : ui->audioToneButton);
    CheckOption(AudioSourceUserSetting().Get(),
                {{ui->btnHpOnly, eAudioSource::HpOnly}, {ui->btnSpeaker, eAudioSource::SpeakerHp}},
                nullptr);
}

void SetupAudioModesSubScreen::on_audioToneButton_clicked()
{
    AudioModeUserSetting().Set(eAudioModeUserSetting::Tone);
}

void SetupAudioModesSubScreen::on_audioListen2ndHarmonicAM_clicked()
{
    AudioModeUserSetting().Set(eAudioModeUserSetting::Rx2Am);
}

void SetupAudioModesSubScreen::on_audioListen2ndHarmonicFM_clicked()
{
    AudioModeUserSetting().Set(eAudioModeUserSetting::Rx2Fm);
}

void SetupAudioModesSubScreen::on_audioListen3rdHarmonicAM_clicked()
{
    AudioModeUserSetting().Set(eAudioModeUserSetting::Rx3Am);
}

void SetupAudioModesSubScreen::on_audioListen3rdHarmonicFM_clicked()
{
    AudioModeUserSetting().Set(eAudioModeUserSetting::Rx3Fm);
}

void SetupAudioModesSubScreen::on_btnHpOnly_clicked()
{
    AudioSourceUserSetting().Set(eAudioSource::HpOnly);
}

void SetupAudioModesSubScreen::on_btnSpeaker_clicked()
{
    AudioSourceUserSetting().Set(eAudioSource::SpeakerHp);
}
