#include "services/batteryStatusMonitor.h"

#include "bus/deviceMsgs.h"
#include "bus/quarnBus.h"

#include <QTimer>

BatteryStatusMonitor* BatteryStatusMonitor::Get()
{
    static BatteryStatusMonitor* instance = new BatteryStatusMonitor;
    return instance;
}

BatteryStatusMonitor::BatteryStatusMonitor()
    : m_pollTimer(new QTimer(this)), m_lastStatus(GetPingMsg())
{
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &BatteryStatusMonitor::ReceiveBusMsg);

    m_pollTimer->setObjectName(QStringLiteral("statusPollTimer"));
    m_pollTimer->setInterval(kPollIntervalMs);
    connect(m_pollTimer, &QTimer::timeout, this, &BatteryStatusMonitor::PollForStatus);
    m_pollTimer->start();
    PollForStatus();

    QTimer::singleShot(kRegisterGatherDelayMs, this,
                       &BatteryStatusMonitor::InitiateSmartBatteryRegisterInfoGather);
}

int BatteryStatusMonitor::GetBatteryPercent() const
{
    return m_lastStatus.chargePercent();
}

bool BatteryStatusMonitor::IsAcPowerConnected() const
{
    return m_lastStatus.onMains();
}

quint16 BatteryStatusMonitor::MfgRawStatus() const
{
    return m_lastStatus.mfgStatus();
}

QString BatteryStatusMonitor::MfgDateString() const
{
    const int year = (m_manufactureDate >> 9) + 1980;
    const int month = (m_manufactureDate >> 5) & 0x0F;
    const int day = m_manufactureDate & 0x1F;
    return QStringLiteral("%1/%2/%3").arg(year).arg(month).arg(day);
}

void BatteryStatusMonitor::PollForStatus()
{
    QuarnBus::Get()->sendMsg(GetPingMsg());
}

void BatteryStatusMonitor::InitiateSmartBatteryRegisterInfoGather()
{
    requestRegister(eSmbRegister::CycleCount);
}

void BatteryStatusMonitor::requestRegister(eSmbRegister smbRegister)
{
    QuarnBus::Get()->sendMsg(GetSmbMsg(quint8(smbRegister)));
}

void BatteryStatusMonitor::ReceiveBusMsg(QuarnBusMsg msg)
{
    if (msg.type == eGetPingMsg)
        handleStatus(msg);
    else if (msg.type == eGetSmbMsg)
        handleRegister(msg);
}

void BatteryStatusMonitor::handleStatus(const QuarnBusMsg& msg)
{
    const GetPingMsg status(msg);
    // The first answer with a charge is news even when it reads like the empty record.
    const bool firstData = !m_hasData && status.hasCharge();
    if (!firstData && status.chargePercent() == m_lastStatus.chargePercent() &&
        status.onMains() == m_lastStatus.onMains())
        return;
    m_lastStatus = status;
    m_hasData = m_hasData || firstData;
    emit StatusChanged();
    checkLowCharge();
}

void BatteryStatusMonitor::checkLowCharge()
{
    if (!m_lastStatus.hasCharge())
        return;
    const int charge = GetBatteryPercent();
    // The board reports mains, not charging as such: only a charge clearly above the
    // thresholds re-arms them, so a short spell on mains does not repeat the notices.
    if (charge > kRearmPercent) {
        m_noticedAt = kRearmPercent;
        return;
    }
    // On mains the warning would be idle; it comes when the mains is pulled.
    if (IsAcPowerConnected())
        return;
    const int threshold = charge <= kVeryLowPercent ? kVeryLowPercent
                          : charge <= kLowPercent   ? kLowPercent
                                                    : kRearmPercent;
    if (threshold >= m_noticedAt)
        return;
    m_noticedAt = threshold;
    emit BatteryLow(charge);
}

void BatteryStatusMonitor::handleRegister(const QuarnBusMsg& msg)
{
    const GetSmbMsg answer(msg);
    if (answer.param < 64)
        m_registersRead |= quint64(1) << answer.param;
    switch (eSmbRegister(answer.param)) {
    case eSmbRegister::CycleCount:
        m_cycleCount = answer.GetWordResult();
        requestRegister(eSmbRegister::ManufactureDate);
        break;
    case eSmbRegister::ManufactureDate:
        m_manufactureDate = answer.GetWordResult();
        requestRegister(eSmbRegister::SerialNumber);
        break;
    case eSmbRegister::SerialNumber:
        m_serialNumber = QString::number(answer.GetWordResult());
        requestRegister(eSmbRegister::ManufacturerName);
        break;
    case eSmbRegister::ManufacturerName:
        m_manufacturerName = answer.GetStringResult();
        requestRegister(eSmbRegister::DeviceName);
        break;
    case eSmbRegister::DeviceName:
        m_deviceName = answer.GetStringResult();
        requestRegister(eSmbRegister::DeviceChemistry);
        break;
    case eSmbRegister::DeviceChemistry:
        m_chemistry = answer.GetStringResult();
        break;
    default:
        break;
    }
}
