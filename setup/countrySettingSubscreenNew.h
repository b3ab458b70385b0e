#pragma once

#include "setup/regionListSubscreen.h"

// The zone list of a head of type 2.
class CountrySettingSubscreenNew : public RegionListSubscreen
{
    Q_OBJECT
public:
    explicit CountrySettingSubscreenNew(QWidget* parent = nullptr) : RegionListSubscreen(parent)
    {
        setObjectName(QStringLiteral("CountrySettingSubscreenNew"));
    }
};
