#pragma once

#include "bus/deviceMsgs.h"

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
    // A low-charge notice when the charge first falls to each of these, once per discharge.
    static constexpr int kLowPercent = 10;
    static constexpr int kVeryLowPercent = 5;
    // Both notices come again only after the charge has risen above this.
    static constexpr int kRearmPercent = 15;

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

    // False until the battery board has answered a ping with a charge: until then the
    // charge reads 0 without meaning it.
    bool HasBatteryData() const { return m_hasData; }
    int GetBatteryPercent() const;
    bool IsAcPowerConnected() const;
    quint16 MfgRawStatus() const;
    QString MfgDateString() const;

    // False until the smart battery has answered for this register: until then its getter
    // reads a placeholder.
    bool HasRegister(eSmbRegister smbRegister) const
    {
        return m_registersRead & (quint64(1) << quint8(smbRegister));
    }

    QString GetChemistry() const { return m_chemistry; }
    quint16 GetCycleCount() const { return m_cycleCount; }
    QString GetDeviceName() const { return m_deviceName; }
    QString GetManufacturerName() const { return m_manufacturerName; }
    QString GetSerialNumber() const { return m_serialNumber; }

signals:
    void StatusChanged();
    // The charge has fallen to kLowPercent or to kVeryLowPercent on battery power.
    void BatteryLow(int percent);

public slots:
    void InitiateSmartBatteryRegisterInfoGather();
    void ReceiveBusMsg(QuarnBusMsg msg);
    void PollForStatus();

private:
    BatteryStatusMonitor();

    void handleStatus(const QuarnBusMsg& msg);
    void handleRegister(const QuarnBusMsg& msg);
    void requestRegister(eSmbRegister smbRegister);
    void checkLowCharge();

    QTimer* m_pollTimer = nullptr;
    GetPingMsg m_lastStatus; // the last status answer
    bool m_hasData = false;
    quint64 m_registersRead = 0; // one bit per register answered, by its command code
    // The lowest threshold already noticed in this discharge; above both when none was.
    int m_noticedAt = kRearmPercent;
    QString m_chemistry;
    quint16 m_cycleCount = 0;
    quint16 m_manufactureDate = 0;
    QString m_deviceName = QStringLiteral("Model");
    QString m_manufacturerName = QStringLiteral("Name");
    QString m_serialNumber = QStringLiteral("SerialNum");
};
