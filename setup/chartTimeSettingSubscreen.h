#pragma once

#include "setup/settingSubscreenWidget.h"

#include <memory>

namespace Ui {
class ChartTimeSettingSubscreen;
}

// Time span of the chart recorder.
class ChartTimeSettingSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit ChartTimeSettingSubscreen(QWidget* parent = nullptr);
    ~ChartTimeSettingSubscreen() override;

public slots:
    void RefreshUi() override;
    void on_btnChartTime15sec_clicked();
    void on_btnChartTime30sec_clicked();
    void on_btnChartTime1min_clicked();
    void on_btnChartTime2min_clicked();

private:
    std::unique_ptr<Ui::ChartTimeSettingSubscreen> ui;
};
