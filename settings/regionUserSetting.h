#pragma once

#include "settings/userSettingInt.h"

// Regulation codes of the head's zones (names in RegionListProcessing): countries below 32,
// regions from 32 on. Codes 14 to 31 also stand for models; the head may report codes that
// have no name here.
enum class eRegion : int
{
    FccIcCe = 0,
    Austria = 1,
    Bulgaria = 2,
    France = 3,
    Germany = 4,
    Hungary = 5,
    Italy = 6,
    Liechtenstein = 7,
    Lithuania = 8,
    Portugal = 9,
    Slovenia = 10,
    Switzerland = 11,
    Japan = 12,
    FccIc = 13,
    EuropeCeCountry = 14,
    HighPower = 15,
    BrazilCountry = 16,
    EuropeCe = 32,
    UsaFcc = 33,
    FullSpan = 34,
    Russia = 35,
    Brazil = 36,
};

// The regulatory zone the head transmits under. Every Set tells the head and asks for the
// new zone's record and the system information.
class RegionUserSetting : public UserSettingInt<eRegion>
{
public:
    RegionUserSetting();
    void Set(eRegion value) override;
};
