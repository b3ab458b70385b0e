#include "shell/keypadDialog.h"

#include "shell/fauxKeypadButton.h"
#include "ui_keypadDialog.h"

KeypadDialog::KeypadDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      ui(std::make_unique<Ui::KeypadDialog>())
{
    ui->setupUi(this);
    AssignKeypadKeyCodes(ui->btnUp, ui->btnDown, ui->btnLeft, ui->btnRight, ui->btnAudio,
                         ui->btnSet, ui->btnMenu, ui->btnPower);
}

KeypadDialog::~KeypadDialog()
{
    LeaveKeypad();
}
