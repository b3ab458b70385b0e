#pragma once

#include "setup/settingSubscreenWidget.h"
#include "setup/setupSubScreen.h"

#include <memory>

namespace Ui {
class Page1SetupSubScreen;
}

// First setup page: sound, transmitter and display.
class Page1SetupSubScreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit Page1SetupSubScreen(QWidget* parent = nullptr);
    ~Page1SetupSubScreen() override;

signals:
    void SubSelected(SetupSubScreenT whichSub);

public slots:
    void RefreshUi() override;
    void on_volumeMuteButton_clicked();
    void on_audioModeButton_clicked();
    void on_txPowerButton_clicked();
    void on_freqModeButton_clicked();
    void on_dspGainLevelButton_clicked();
    void on_brightnessButton_clicked();

private:
    std::unique_ptr<Ui::Page1SetupSubScreen> ui;
};
