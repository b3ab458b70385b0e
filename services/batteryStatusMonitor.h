#pragma once

#include "bus/quarnBusMsg.h"

#include <QObject>
#include <QString>

class QTimer;

// Polls the battery board for the charge level and the mains state, and reads the smart
// battery's identity registers once after start-up (and again on demand).
class BatteryStatusMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 2500;
    static constexpr int kRegisterGatherDelayMs = 1000;

    // Smart-battery command codes read by the register chain, in chain order.
    enum class eSmbRegister : quint8
    {
        CycleCount = 0x17,
        ManufactureDate = 0x1B,
        SerialNumber = 0x1C,
        ManufacturerName = 0x20,
        DeviceName = 0x21,
        DeviceChemistry = 0x22,
    };

    static BatteryStatusMonitor* Get();

    int GetBatteryPercent() const;
    bool IsAcPowerConnected() const;
    quint16 MfgRawStatus() const;
    QString MfgDateString() const;

    QString GetChemistry() const { return m_chemistry; }
    quint16 GetCycleCount() const { return m_cycleCount; }
    QString GetDeviceName() const { return m_deviceName; }
    QString GetManufacturerName() const { return m_manufacturerName; }
    QString GetSerialNumber() const { return m_serialNumber; }

signals:
    void StatusChanged();

public slots:
    void InitiateSmartBatteryRegisterInfoGather();
    void ReceiveBusMsg(QuarnBusMsg msg);
    void PollForStatus();

private:
    BatteryStatusMonitor();

    void handleStatus(const QuarnBusMsg& msg);
    void handleRegister(const QuarnBusMsg& msg);
    void requestRegister(eSmbRegister smbRegister);

    QTimer* m_pollTimer = nullptr;
    QuarnBusMsg m_lastStatus;
    QString m_chemistry;
    quint16 m_cycleCount = 0;
    quint16 m_manufactureDate = 0;
    QString m_deviceName = QStringLiteral("Model");
    QString m_manufacturerName = QStringLiteral("Name");
    QString m_serialNumber = QStringLiteral("SerialNum");
};
