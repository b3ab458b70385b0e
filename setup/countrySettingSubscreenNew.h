#pragma once

#include "setup/settingSubscreenWidget.h"

// Zone list of a head of type 2; the subscreen itself is still to be built.
class CountrySettingSubscreenNew : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit CountrySettingSubscreenNew(QWidget* parent = nullptr) : SettingSubscreenWidget(parent)
    {
        setObjectName(QStringLiteral("CountrySettingSubscreenNew"));
    }
public slots:
    void RefreshUi() override {}
};
