#include "setup/saveUserSettingsDialog.h"

#include "services/sdCardMonitor.h"
#include "shell/panelDialogs.h"
#include "ui_saveUserSettingsDialog.h"

#include <QBrush>
#include <QEvent>
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
    // A disabled button takes no click, but its events still pass its filter.
    for (QWidget* button : sdButtons())
        button->installEventFilter(this);
    UpdateButtonStatus();
}

SaveUserSettingsDialog::~SaveUserSettingsDialog() = default;

QList<QWidget*> SaveUserSettingsDialog::sdButtons() const
{
    return {ui->sdCard1Button, ui->sdCard2Button, ui->sdCard3Button,
            ui->sdCard4Button, ui->sdCard5Button, ui->sdCard6Button};
}

void SaveUserSettingsDialog::UpdateButtonStatus()
{
    // A write-protected card takes no profile either: it is told here, not after OK.
    const bool writable = SdCardMonitor::Get()->IsCardWritable();
    // Only a press changes the choice, and the buttons show the choice: a card pulled after
    // a card profile was picked leaves that pick shown, and the save then says it failed.
    for (QWidget* button : sdButtons())
        button->setEnabled(writable);
    ui->noCardLabel->setText(cardIsReadOnly() ? tr("SD card is read-only") : tr("No SD card"));
    ui->noCardLabel->setVisible(!writable);
}

bool SaveUserSettingsDialog::cardIsReadOnly() const
{
    const SdCardMonitor* card = SdCardMonitor::Get();
    return card->IsCardReady() && !card->IsCardWritable();
}

bool SaveUserSettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QWidget*>(watched);
    if (button && !button->isEnabled() && event->type() == QEvent::MouseButtonRelease &&
        sdButtons().contains(button)) {
        explainNoCard();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void SaveUserSettingsDialog::explainNoCard()
{
    PanelMessageBox box(this);
    box.setIcon(QMessageBox::Information);
    if (cardIsReadOnly()) {
        box.setWindowTitle(tr("SD card is read-only"));
        box.setText(tr("SD card is read-only"));
        box.setInformativeText(
            tr("Slide the card's write-protect switch off and insert it again to save a "
               "profile on it."));
    } else {
        box.setWindowTitle(tr("No SD card"));
        box.setText(tr("No SD card"));
        box.setInformativeText(tr("Insert an SD card to save a profile on it."));
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
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
