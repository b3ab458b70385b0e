#include "setup/freqModeSettingSubscreen.h"

#include "settings/adminOptionsSettings.h"
#include "settings/freqModeUserSetting.h"
#include "setup/optionButtons.h"
#include "ui_freqModeSettingSubscreen.h"

#include <QDebug>

FreqModeSettingSubscreen::FreqModeSettingSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::FreqModeSettingSubscreen>())
{
    ui->setupUi(this);
}

FreqModeSettingSubscreen::~FreqModeSettingSubscreen() = default;

void FreqModeSettingSubscreen::RefreshUi()
{
    FreqModeUserSetting mode;
    const bool nonRegulated = AdminOptionsSettings().AreNonRegulatedFreqModesAllowed();
    if (!nonRegulated &&
        (mode.Get() == int(eFreqMode::Hop) || mode.Get() == int(eFreqMode::Sweep))) {
        qDebug() << "Switching from non-regulated freq mode to regulated freq mode.";
        mode.Set(eFreqMode::Auto);
    }
    for (QAbstractButton* button : {ui->sweepButton, ui->hopButton}) {
        button->setCheckable(nonRegulated);
        OfferButton(button, nonRegulated);
    }
    CheckOption(mode.Get(),
                {{ui->manualButton, eFreqMode::Manual},
                 {ui->autoButton, eFreqMode::Auto},
                 {ui->sweepButton, eFreqMode::Sweep},
                 {ui->hopButton, eFreqMode::Hop}},
                ui->autoButton);
}

void FreqModeSettingSubscreen::on_manualButton_clicked()
{
    FreqModeUserSetting().Set(eFreqMode::Manual);
}

void FreqModeSettingSubscreen::on_autoButton_clicked()
{
    FreqModeUserSetting().Set(eFreqMode::Auto);
}

void FreqModeSettingSubscreen::on_sweepButton_clicked()
{
    FreqModeUserSetting().Set(eFreqMode::Sweep);
}

void FreqModeSettingSubscreen::on_hopButton_clicked()
{
    FreqModeUserSetting().Set(eFreqMode::Hop);
}
