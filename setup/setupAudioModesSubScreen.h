#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class SetupAudioModesSubScreen;
}

// What the operator hears and where: the tone or one receiver's demodulated signal, the
// harmonic ones only where the head allows them.
class SetupAudioModesSubScreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit SetupAudioModesSubScreen(QWidget* parent = nullptr);
    ~SetupAudioModesSubScreen() override;

public slots:
    void RefreshUi() override;
    void on_audioToneButton_clicked();
    void on_audioListen2ndHarmonicAM_clicked();
    void on_audioListen2ndHarmonicFM_clicked();
    void on_audioListen3rdHarmonicAM_clicked();
    void on_audioListen3rdHarmonicFM_clicked();
    void on_btnHpOnly_clicked();
    void on_btnSpeaker_clicked();

private:
    std::unique_ptr<Ui::SetupAudioModesSubScreen> ui;
};
