#include "setup/chartTimeSettingSubscreen.h"

#include "settings/chartTimeUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_chartTimeSettingSubscreen.h"

ChartTimeSettingSubscreen::ChartTimeSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::ChartTimeSettingSubscreen>())
{
    ui->setupUi(this);
}

ChartTimeSettingSubscreen::~ChartTimeSettingSubscreen() = default;

void ChartTimeSettingSubscreen::RefreshUi()
{
    CheckOption(ChartTimeUserSetting().Get(),
                {{ui->btnChartTime15sec, eChartTime::TenSeconds},
                 {ui->btnChartTime30sec, eChartTime::TwentySeconds},
                 {ui->btnChartTime1min, eChartTime::ThirtySeconds},
                 {ui->btnChartTime2min, eChartTime::OneMinute}},
                ui->btnChartTime15sec);
}

void ChartTimeSettingSubscreen::on_btnChartTime15sec_clicked()
{
    ChartTimeUserSetting().Set(eChartTime::TenSeconds);
}

void ChartTimeSettingSubscreen::on_btnChartTime30sec_clicked()
{
    ChartTimeUserSetting().Set(eChartTime::TwentySeconds);
}

void ChartTimeSettingSubscreen::on_btnChartTime1min_clicked()
{
    ChartTimeUserSetting().Set(eChartTime::ThirtySeconds);
}

void ChartTimeSettingSubscreen::on_btnChartTime2min_clicked()
{
    ChartTimeUserSetting().Set(eChartTime::OneMinute);
}
