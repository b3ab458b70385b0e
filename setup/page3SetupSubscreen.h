#pragma once

#include "setup/settingSubscreenWidget.h"
#include "setup/setupSubScreen.h"

#include <memory>

namespace Ui {
class Page3SetupSubscreen;
}

// Third setup page: clock, start-up, profiles, tools, information and region.
class Page3SetupSubscreen : public SettingSubscreenWidget
{
    Q_OBJECT
public:
    explicit Page3SetupSubscreen(QWidget* parent = nullptr);
    ~Page3SetupSubscreen() override;

signals:
    void SubSelected(SetupSubScreenT whichSub);

public slots:
    void RefreshUi() override;
    void on_dateTimeButton_clicked();
    void on_powerOnScreenButton_clicked();
    void on_manageUserSettingsButton_clicked();
    void on_toolsButton_clicked();
    void on_infoButton_clicked();
    void on_countryButton_clicked();

private:
    std::unique_ptr<Ui::Page3SetupSubscreen> ui;
};
