#include "setup/informationSubscreen.h"

#include "services/batteryStatusMonitor.h"
#include "services/versionInfo.h"
#include "ui_informationSubscreen.h"

InformationSubscreen::InformationSubscreen(QWidget* parent)
    : SettingSubscreenWidget(parent), ui(std::make_unique<Ui::InformationSubscreen>())
{
    ui->setupUi(this);
    ui->swVerTscLabel->setText(VersionInfo::GetTscVersion());
    connect(BatteryStatusMonitor::Get(), &BatteryStatusMonitor::StatusChanged, this,
            &InformationSubscreen::RefreshUi);
}

InformationSubscreen::~InformationSubscreen() = default;

void InformationSubscreen::RefreshUi()
{
    const VersionInfo* versions = VersionInfo::Get();
    ui->swVerMstLabel->setText(versions->GetCpuVersion(eSelectCpuMst));
    ui->swVerBbmLabel->setText(versions->GetCpuVersion(eSelectCpuBbm));
    ui->swVerHdcLabel->setText(versions->GetCpuVersion(eSelectCpuHdc));
    ui->swVerRadLabel->setText(versions->GetCpuVersion(eSelectCpuRcc));
    ui->swVerKccLabel->setText(versions->GetCpuVersion(eSelectCpuKcc));
    ui->swVerHeadLabel->setText(versions->GetCpuVersion(eSelectCpuHcc));

    BatteryStatusMonitor* battery = BatteryStatusMonitor::Get();
    ui->batMfgName->setText(battery->GetManufacturerName());
    ui->batMfgModel->setText(battery->GetDeviceName());
    ui->batMfgDate->setText(battery->MfgDateString());
    ui->batMfgSN->setText(QStringLiteral("SN: ") + battery->GetSerialNumber());
    ui->batChemType->setText(QStringLiteral("Chem: ") + battery->GetChemistry());
    ui->batRawStatus->setText(QStringLiteral("Sts: ") +
                              QString::number(battery->MfgRawStatus(), 16));
    ui->batCycleCount->setText(QStringLiteral("Cycle Cnt: ") +
                               QString::number(battery->GetCycleCount()));
    ui->batCharge->setText(QString::asprintf("Charge: %d%%", battery->GetBatteryPercent()));

    if (battery->GetChemistry().isEmpty())
        battery->InitiateSmartBatteryRegisterInfoGather();
}
