#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class VolumeMuteSettingSubscreen;
}

// Volume and mute with their own buttons; while it is shown the status bar's volume overlay
// stays away (the setup screen turns the notifications off).
class VolumeMuteSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit VolumeMuteSettingSubscreen(QWidget* parent = nullptr);
    ~VolumeMuteSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_volUpButton_clicked();
    void on_volDownButton_clicked();
    void on_muteButton_clicked();

private:
    std::unique_ptr<Ui::VolumeMuteSettingSubscreen> ui;
};
