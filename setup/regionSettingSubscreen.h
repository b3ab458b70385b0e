#pragma once

#include "setup/settingSubscreenWidget.h"

// Zone list of a head of type 1; the subscreen itself is still to be built.
class RegionSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit RegionSettingSubscreen(QWidget* parent = nullptr) : SettingSubscreenWidget(parent)
    {
        setObjectName(QStringLiteral("RegionSettingSubscreen"));
    }
public slots:
    void RefreshUi() override {}
};
