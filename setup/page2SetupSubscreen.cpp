#include "setup/page2SetupSubscreen.h"

#include "ui_page2SetupSubscreen.h"

Page2SetupSubscreen::Page2SetupSubscreen(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::Page2SetupSubscreen>())
{
    ui->setupUi(this);
}

Page2SetupSubscreen::~Page2SetupSubscreen() = default;

void Page2SetupSubscreen::on_toneStyleButton_clicked()
{
    emit SubSelected(eToneStyleSub);
}

void Page2SetupSubscreen::on_autoPowerOffButton_clicked()
{
    emit SubSelected(eAutoPowerOffSub);
}

void Page2SetupSubscreen::on_hapticButton_clicked()
{
    emit SubSelected(eVibrateSub);
}

void Page2SetupSubscreen::on_standbyTimeButton_clicked()
{
    emit SubSelected(eStandbyTimeSub);
}

void Page2SetupSubscreen::on_chartTimeButton_clicked()
{
    emit SubSelected(eChartTimeSub);
}

void Page2SetupSubscreen::on_headlightButton_clicked()
{
    emit SubSelected(eHeadlightSub);
}
