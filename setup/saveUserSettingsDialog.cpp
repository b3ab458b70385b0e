#include "setup/saveUserSettingsDialog.h"

#include "services/sdCardMonitor.h"
#include "ui_saveUserSettingsDialog.h"

#include <QBrush>
#include <QPixmap>

SaveUserSettingsDialog::SaveUserSettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::SaveUserSettingsDialog>())
{
    ui->setupUi(this);
    QPalette ground = palette();
    ground.setBrush(QPalette::Window,
                    QBrush(QPixmap(QStringLiteral(":/:/images/images/main_backgrd_lower.png"))));
    setPalette(ground);
    connect(SdCardMonitor::Get(), &SdCardMonitor::CardEvent, this,
            &SaveUserSettingsDialog::onSdCardStatusChange);
    UpdateButtonStatus();
}

SaveUserSettingsDialog::~SaveUserSettingsDialog() = default;

void SaveUserSettingsDialog::UpdateButtonStatus()
{
    const bool ready = SdCardMonitor::Get()->IsCardReady();
    // Only a press changes the choice: a card pulled after a card profile was picked
    // leaves the pick, and the save then reports that it failed.
    if (!ready)
        ui->internalButton->setChecked(true);
    for (QWidget* button : {ui->sdCard1Button, ui->sdCard2Button, ui->sdCard3Button,
                            ui->sdCard4Button, ui->sdCard5Button, ui->sdCard6Button})
        button->setEnabled(ready);
}

void SaveUserSettingsDialog::onSdCardStatusChange()
{
    UpdateButtonStatus();
}

void SaveUserSettingsDialog::on_internalButton_clicked()
{
    m_internalSelected = true;
    m_selectedSdProfile = -1;
}

void SaveUserSettingsDialog::selectSdProfile(int n)
{
    m_internalSelected = false;
    m_selectedSdProfile = n;
}

void SaveUserSettingsDialog::on_sdCard1Button_clicked()
{
    selectSdProfile(1);
}
void SaveUserSettingsDialog::on_sdCard2Button_clicked()
{
    selectSdProfile(2);
}
void SaveUserSettingsDialog::on_sdCard3Button_clicked()
{
    selectSdProfile(3);
}
void SaveUserSettingsDialog::on_sdCard4Button_clicked()
{
    selectSdProfile(4);
}
void SaveUserSettingsDialog::on_sdCard5Button_clicked()
{
    selectSdProfile(5);
}
void SaveUserSettingsDialog::on_sdCard6Button_clicked()
{
    selectSdProfile(6);
}
