#include "shell/keypad.h"

#include "settings/userSettingsService.h"
#include "shell/fauxKeypadButton.h"
#include "ui_keypad.h"

#include <QIcon>

Keypad::Keypad(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::Keypad>())
{
    ui->setupUi(this);
    connect(UserSettingsService::Get(), &UserSettingsService::UserSettingsChanged, this,
            &Keypad::UpdateSettingsIcons);
    UpdateSettingsIcons();
    AssignKeypadKeyCodes(ui->btnUp, ui->btnDown, ui->btnLeft, ui->btnRight, ui->btnAudio,
                         ui->btnSet, ui->pushButton, ui->btnPower);
    ui->pushButton->hide();
}

Keypad::~Keypad() = default;

void Keypad::UpdateSettingsIcons()
{
    ui->btnHeadlight->setIcon(QIcon(m_mute.Get() != 0
                                        ? QStringLiteral(":/:/images/images/audio_off.png")
                                        : QStringLiteral(":/:/images/images/audio_on.png")));
}

void Keypad::on_btnHeadlight_clicked()
{
    if (++m_pressCount >= kMenuKeyRevealPresses)
        ui->pushButton->show();
    m_mute.Toggle();
    UpdateSettingsIcons();
}

void Keypad::leave()
{
    LeaveKeypad();
    m_pressCount = 0;
    ui->pushButton->hide();
}

void Keypad::on_btnHome_clicked()
{
    leave();
    emit homeSelected();
}

void Keypad::on_btnMenu_clicked()
{
    leave();
    emit setupSelected();
}
