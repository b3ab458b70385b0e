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

namespace {
// Shown for what the head or the battery has not told yet.
const QString kUnknown = QStringLiteral("--");

QString knownOr(bool known, const QString& text)
{
    return known ? text : kUnknown;
}
} // namespace

void InformationSubscreen::RefreshUi()
{
    const VersionInfo* versions = VersionInfo::Get();
    const struct
    {
        QLabel* label;
        eSelectCpuId cpu;
        const char* name;
    } cpus[] = {
        {ui->swVerMstLabel, eSelectCpuMst, "MST"}, {ui->swVerBbmLabel, eSelectCpuBbm, "BBM"},
        {ui->swVerHdcLabel, eSelectCpuHdc, "HDC"}, {ui->swVerRadLabel, eSelectCpuRcc, "RCC"},
        {ui->swVerKccLabel, eSelectCpuKcc, "KCC"}, {ui->swVerHeadLabel, eSelectCpuHcc, "HCC"}};
    for (const auto& cpu : cpus) {
        const QString version = versions->GetCpuVersion(cpu.cpu);
        cpu.label->setText(version.isEmpty() ? QLatin1String(cpu.name) + QLatin1Char(' ') + kUnknown
                                             : version);
    }

    using Register = BatteryStatusMonitor::eSmbRegister;
    BatteryStatusMonitor* battery = BatteryStatusMonitor::Get();
    const auto has = [battery](Register r) { return battery->HasRegister(r); };
    // The name, model and date lines carry no label of their own: an unknown one says
    // what it stands for.
    ui->batMfgName->setText(has(Register::ManufacturerName) ? battery->GetManufacturerName()
                                                            : QStringLiteral("Name: ") + kUnknown);
    ui->batMfgModel->setText(has(Register::DeviceName) ? battery->GetDeviceName()
                                                       : QStringLiteral("Model: ") + kUnknown);
    ui->batMfgDate->setText(has(Register::ManufactureDate) ? battery->MfgDateString()
                                                           : QStringLiteral("Date: ") + kUnknown);
    ui->batMfgSN->setText(QStringLiteral("SN: ") +
                          knownOr(has(Register::SerialNumber), battery->GetSerialNumber()));
    ui->batChemType->setText(QStringLiteral("Chem: ") +
                             knownOr(has(Register::DeviceChemistry), battery->GetChemistry()));
    ui->batRawStatus->setText(
        QStringLiteral("Sts: ") +
        knownOr(battery->HasBatteryData(), QString::number(battery->MfgRawStatus(), 16)));
    ui->batCycleCount->setText(
        QStringLiteral("Cycle Cnt: ") +
        knownOr(has(Register::CycleCount), QString::number(battery->GetCycleCount())));
    ui->batCharge->setText(
        QStringLiteral("Charge: ") +
        knownOr(battery->HasBatteryData(),
                QString::number(battery->GetBatteryPercent()) + QLatin1Char('%')));

    if (battery->GetChemistry().isEmpty())
        battery->InitiateSmartBatteryRegisterInfoGather();
}
