#include "setup/userSettingsManagementSubscreen.h"

#include "services/sdCardMonitor.h"
#include "settings/userSettingsService.h"
#include "setup/saveUserSettingsDialog.h"
#include "shell/panelDialogs.h"
#include "ui_userSettingsManagementSubscreen.h"

#include <QHBoxLayout>
#include <QLabel>

UserSettingsManagementSubscreen::UserSettingsManagementSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::UserSettingsManagementSubscreen>())
{
    ui->setupUi(this);
    connect(SdCardMonitor::Get(), &SdCardMonitor::CardEvent, this,
            &UserSettingsManagementSubscreen::sdCardChange);
    InsertLabel(tr("Internal Profile"), QPixmap(), {LocationSuT::Internal, 0});
}

UserSettingsManagementSubscreen::~UserSettingsManagementSubscreen() = default;

void UserSettingsManagementSubscreen::InsertLabel(const QString& text, const QPixmap& picture,
                                                  LocationSuT where)
{
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addStretch();
    if (!picture.isNull()) {
        auto* image = new QLabel(page);
        image->setPixmap(picture);
        layout->addWidget(image, 0, Qt::AlignVCenter);
    }
    auto* label = new QLabel(text, page);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label, 1, Qt::AlignVCenter);
    layout->addStretch();
    m_pageLocations.insert(ui->stackedWidget->addWidget(page), where);
}

LocationSuT UserSettingsManagementSubscreen::currentLocation() const
{
    return m_pageLocations.value(ui->stackedWidget->currentIndex(), LocationSuT());
}

void UserSettingsManagementSubscreen::RefreshUi()
{
    SlidingStackedWidget* stack = ui->stackedWidget;
    // A slide still running would move a page that is about to go.
    if (stack->isSliding())
        stack->animationDoneSlot();
    for (int index = stack->count() - 1; index >= 0; --index) {
        if (m_pageLocations.value(index).location != LocationSuT::SdCard)
            continue;
        QWidget* page = stack->widget(index);
        stack->removeWidget(page);
        page->deleteLater();
        m_pageLocations.remove(index);
    }
    const QList<eExternalUserSettingsSet> sets =
        UserSettingsService::Get()->GetAvailableExternalUserSets();
    for (eExternalUserSettingsSet n : sets)
        InsertLabel(tr("SD Card Profile ") + QString::number(int(n)), QPixmap(),
                    {LocationSuT::SdCard, int(n)});
    ui->leftButton->setEnabled(!sets.isEmpty());
    ui->rightButton->setEnabled(!sets.isEmpty());
    stack->slideInIdx(0, SlidingStackedWidget::AUTOMATIC);
}

void UserSettingsManagementSubscreen::on_leftButton_clicked()
{
    ui->stackedWidget->slideInPrev();
}

void UserSettingsManagementSubscreen::on_rightButton_clicked()
{
    ui->stackedWidget->slideInNext();
}

void UserSettingsManagementSubscreen::on_selectButton_clicked()
{
    const LocationSuT where = currentLocation();
    UserSettingsService* service = UserSettingsService::Get();
    const eProfileImport result =
        where.location == LocationSuT::SdCard
            ? service->ImportSettingsFromExternalSet(eExternalUserSettingsSet(where.profile))
            : service->LoadFromInternalUserSettings();
    reportRecall(result, where);
}

void UserSettingsManagementSubscreen::reportRecall(eProfileImport result, LocationSuT where)
{
    const QString name = where.location == LocationSuT::SdCard
                             ? tr("SD Card Profile %1").arg(where.profile)
                             : tr("Internal Profile");
    PanelMessageBox box(this);
    box.setWindowIcon(ui->selectButton->icon());
    box.setStandardButtons(QMessageBox::Ok);
    switch (result) {
    case eProfileImport::Recalled:
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(tr("Complete!"));
        box.setText(tr("Profile recalled"));
        box.setInformativeText(tr("%1 is now in use.").arg(name));
        break;
    case eProfileImport::Missing:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(tr("Failed!"));
        box.setText(tr("Profile missing"));
        box.setInformativeText(tr("%1 was not found.").arg(name));
        break;
    case eProfileImport::Unreadable:
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(tr("Failed!"));
        box.setText(tr("Profile unreadable"));
        box.setInformativeText(
            tr("%1 is not a profile file; nothing was taken from it.").arg(name));
        break;
    }
    box.setWindowState(box.windowState() | Qt::WindowMaximized);
    box.exec();
}

void UserSettingsManagementSubscreen::on_saveButton_clicked()
{
    SaveUserSettingsDialog dialog(this);
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const bool internal = dialog.isInternalSelected();
    const int sdProfile = dialog.selectedSdProfile();
    reportSave(save(internal, sdProfile), internal, sdProfile);
    RefreshUi();
}

bool UserSettingsManagementSubscreen::save(bool internal, int sdProfile)
{
    UserSettingsService* service = UserSettingsService::Get();
    if (internal)
        return service->SaveToInternalUserSettings();
    if (sdProfile < int(eExternalUserSettingsSet::Set1) ||
        sdProfile > int(eExternalUserSettingsSet::Set6))
        return false;
    return service->ExportCurrentSettingsToExternalSet(eExternalUserSettingsSet(sdProfile));
}

void UserSettingsManagementSubscreen::reportSave(bool saved, bool internal, int sdProfile)
{
    PanelMessageBox box(this);
    box.setWindowIcon(ui->saveButton->icon());
    box.setStandardButtons(QMessageBox::Ok);
    if (saved) {
        box.setIcon(QMessageBox::Information);
        box.setWindowTitle(tr("Complete!"));
        box.setText(tr("Save Complete"));
        box.setInformativeText(internal ? tr("Saved to the internal profile.")
                                        : tr("Saved to SD Card Profile %1.").arg(sdProfile));
    } else {
        // An export that did not happen must not look like one that did.
        box.setIcon(QMessageBox::Warning);
        box.setWindowTitle(tr("Failed!"));
        box.setText(tr("Save Failed"));
        box.setInformativeText(
            internal ? tr("The internal profile was not written. The one saved before is kept.")
                     : tr("SD Card Profile %1 was not written. Check that the card is in, not "
                          "full and not write-protected. A profile saved there before is kept.")
                           .arg(sdProfile));
    }
    box.setWindowState(box.windowState() | Qt::WindowMaximized);
    box.exec();
}

void UserSettingsManagementSubscreen::sdCardChange()
{
    RefreshUi();
}
