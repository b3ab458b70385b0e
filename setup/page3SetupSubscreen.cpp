#include "setup/page3SetupSubscreen.h"

#include "settings/adminOptionsSettings.h"
#include "setup/optionButtons.h"
#include "ui_page3SetupSubscreen.h"

Page3SetupSubscreen::Page3SetupSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::Page3SetupSubscreen>())
{
    ui->setupUi(this);
}

Page3SetupSubscreen::~Page3SetupSubscreen() = default;

void Page3SetupSubscreen::RefreshUi()
{
    OfferButton(ui->countryButton, AdminOptionsSettings().IsRegionChangeAllowed());
}

void Page3SetupSubscreen::on_dateTimeButton_clicked()
{
    emit SubSelected(eDateAndTimeSub);
}

void Page3SetupSubscreen::on_powerOnScreenButton_clicked()
{
    emit SubSelected(ePowerOnScreenSub);
}

void Page3SetupSubscreen::on_manageUserSettingsButton_clicked()
{
    emit SubSelected(eUserSettingsSub);
}

void Page3SetupSubscreen::on_toolsButton_clicked()
{
    emit SubSelected(eToolsSub);
}

void Page3SetupSubscreen::on_infoButton_clicked()
{
    emit SubSelected(eInformationSub);
}

void Page3SetupSubscreen::on_countryButton_clicked()
{
    emit SubSelected(eRegionSub);
}
