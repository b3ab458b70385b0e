#pragma once

#include "settings/userSettingsService.h"
#include "setup/settingSubscreenWidget.h"

#include <QMap>
#include <QPixmap>

#include <memory>

namespace Ui {
class UserSettingsManagementSubscreen;
}

// Where a settings profile lives: the internal profile (number 0) or SD-card profile 1-6.
struct LocationSuT
{
    enum Where : int
    {
        Internal = 0,
        SdCard = 1,
    };
    Where location = Internal;
    int profile = 0;
};

// The settings profiles: one page per profile that exists (the internal one first), a
// recall of the page shown and a save of the current settings to a profile chosen in the
// save dialog. The card's pages are rebuilt on every show, save and card event.
class UserSettingsManagementSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit UserSettingsManagementSubscreen(QWidget* parent = nullptr);
    ~UserSettingsManagementSubscreen() override;

    void InsertLabel(const QString& text, const QPixmap& picture, LocationSuT where);
    // The profile of the page shown; a page without a record counts as the internal one.
    LocationSuT currentLocation() const;

public slots:
    void RefreshUi() override;
    void on_leftButton_clicked();
    void on_rightButton_clicked();
    void on_selectButton_clicked();
    void on_saveButton_clicked();
    void sdCardChange();

private:
    bool save(bool internal, int sdProfile);
    void reportSave(bool saved, bool internal, int sdProfile);
    void reportRecall(eProfileImport result, LocationSuT where);

    QMap<int, LocationSuT> m_pageLocations;
    std::unique_ptr<Ui::UserSettingsManagementSubscreen> ui;
};
