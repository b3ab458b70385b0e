#pragma once

#include "settings/muteUserSetting.h"
#include "shell/keypadDialog.h"

#include <QWidget>

#include <memory>

namespace Ui {
class Keypad;
}

// The keypad page of the main window: the head's keys, a mute toggle, home, and the way to
// the setup screen. The head's menu key shows after a number of mute presses.
class Keypad : public QWidget
{
    Q_OBJECT
public:
    // Mute presses after which the menu key shows.
    static constexpr int kMenuKeyRevealPresses = 5;

    explicit Keypad(QWidget* parent = nullptr);
    ~Keypad() override;

signals:
    void homeSelected();
    void setupSelected();

public slots:
    void on_btnHome_clicked();
    void on_btnHeadlight_clicked();
    void on_btnMenu_clicked();
    void UpdateSettingsIcons();

private:
    void leave();

    std::unique_ptr<Ui::Keypad> ui;
    MuteUserSetting m_mute;
    int m_pressCount = 0;
};
