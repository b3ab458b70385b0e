#pragma once

#include "setup/regionListSubscreen.h"

// The zone list of a head of type 0 or 3.
class CountrySettingSubscreen : public RegionListSubscreen
{
    Q_OBJECT
public:
    explicit CountrySettingSubscreen(QWidget* parent = nullptr) : RegionListSubscreen(parent)
    {
        setObjectName(QStringLiteral("CountrySettingSubscreen"));
    }
};
