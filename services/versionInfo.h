#pragma once

#include "bus/quarnBusMsg.h"

#include <QObject>
#include <QString>

// Processor selectors of the version request to the master controller.
enum eSelectCpuId : quint8
{
    eSelectCpuMst = 0,
    eSelectCpuBbm = 1,
    eSelectCpuHdc = 2,
    eSelectCpuRcc = 3,
    eSelectCpuKcc = 4,
    eSelectCpuHcc = 5,
};

// The software versions of every processor in the instrument, collected once after start-up
// by a chain of requests (one outstanding at a time, each answer sends the next), and the
// status texts of the radio, head and keypad controllers.
class VersionInfo : public QObject
{
    Q_OBJECT
public:
    static constexpr int kCpuCount = 6;
    // Where the hardware code sits in the head's and the keypad's status texts.
    static constexpr int kHardwareCodeAt = 17;

    static VersionInfo* Get();
    // Connects to the bus and starts the chain.
    explicit VersionInfo(QObject* parent = nullptr);

    static QString GetTscVersion();
    // Empty until the master has answered for that processor.
    QString GetCpuVersion(eSelectCpuId cpu) const;
    QString GetRadioStatus() const { return m_radioStatus; }
    QString GetHeadStatus() const { return m_headStatus; }
    QString GetKeypadStatus() const { return m_keypadStatus; }
    // Characters 17 and 18 of the head's and the keypad's status texts.
    QString GetHeadHardwareCode() const { return m_headStatus.mid(kHardwareCodeAt, 2); }
    QString GetKeypadHardwareCode() const { return m_keypadStatus.mid(kHardwareCodeAt, 2); }

    void RequestCpuVersion(eSelectCpuId cpu);
    // To 'K', 'J' or 'G'.
    void RequestStatus(char device);

public slots:
    void RxQuarnBusMsg(QuarnBusMsg msg);

private:
    void storeCpuVersion(quint8 cpu, const QString& text);

    QString m_cpuVersions[kCpuCount];
    QString m_radioStatus;
    QString m_headStatus;
    QString m_keypadStatus;
};
