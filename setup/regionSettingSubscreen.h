#pragma once

#include "setup/regionListSubscreen.h"

// The zone list of a head of type 1.
class RegionSettingSubscreen : public RegionListSubscreen
{
    Q_OBJECT
public:
    explicit RegionSettingSubscreen(QWidget* parent = nullptr) : RegionListSubscreen(parent)
    {
        setObjectName(QStringLiteral("RegionSettingSubscreen"));
    }
};
