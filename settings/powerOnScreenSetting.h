#pragma once

#include "settings/userSettingInt.h"

enum class ePowerOnScreen : int
{
    BarGraph = 0,
    HomeScreen = 1,
    ChartRecorder = 2,
    Spectral = 3
};

// The screen shown at power-on; this screen's alone.
class PowerOnScreenSetting : public UserSettingInt<ePowerOnScreen>
{
public:
    PowerOnScreenSetting();
    void SetDefault();
};
