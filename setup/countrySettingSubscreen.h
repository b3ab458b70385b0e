#pragma once

#include "setup/settingSubscreenWidget.h"

// Zone list of a head of type 0 or 3; the subscreen itself is still to be built.
class CountrySettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit CountrySettingSubscreen(QWidget* parent = nullptr) : SettingSubscreenWidget(parent)
    {
        setObjectName(QStringLiteral("CountrySettingSubscreen"));
    }
public slots:
    void RefreshUi() override {}
};
