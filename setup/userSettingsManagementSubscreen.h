#pragma once

#include "setup/settingSubscreenWidget.h"

// Profiles on the card and in the flash; the subscreen itself is still to be built.
class UserSettingsManagementSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit UserSettingsManagementSubscreen(QWidget* parent = nullptr) : SettingSubscreenWidget(parent)
    {
        setObjectName(QStringLiteral("UserSettingsManagementSubscreen"));
    }
public slots:
    void RefreshUi() override {}
};
