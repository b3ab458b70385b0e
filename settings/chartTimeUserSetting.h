#pragma once

#include "settings/userSettingInt.h"

enum class eChartTime : int
{
    TenSeconds = 0,
    TwentySeconds = 1,
    ThirtySeconds = 2,
    OneMinute = 3
};

// Time span of the chart recorder; this screen's alone.
class ChartTimeUserSetting : public UserSettingInt<eChartTime>
{
public:
    ChartTimeUserSetting();
    // Steps 10 s, 20 s, 30 s, 1 min and round again; any other stored value is left alone.
    void Increment();
    void SetDefault();
};
