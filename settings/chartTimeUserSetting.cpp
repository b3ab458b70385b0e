#include "settings/chartTimeUserSetting.h"

ChartTimeUserSetting::ChartTimeUserSetting()
    : UserSettingInt(QStringLiteral("userSettings/chartTime"), eChartTime::TwentySeconds, {0, 3})
{}

void ChartTimeUserSetting::Increment()
{
    switch (eChartTime(Get())) {
    case eChartTime::TenSeconds:
        Set(eChartTime::TwentySeconds);
        break;
    case eChartTime::TwentySeconds:
        Set(eChartTime::ThirtySeconds);
        break;
    case eChartTime::ThirtySeconds:
        Set(eChartTime::OneMinute);
        break;
    case eChartTime::OneMinute:
        Set(eChartTime::TenSeconds);
        break;
    }
}

void ChartTimeUserSetting::SetDefault()
{
    Set(eChartTime::TwentySeconds);
}
