#pragma once

#include "sim/ambientScan.h"
#include "sim/headSettings.h"
#include "sim/simController.h"

#include <QElapsedTimer>
#include <QVector>

class SimScenario;

// The head's master controller: keeps the operating settings, the head's stored user
// settings and its zones, answers every setting request, reports versions, runs the
// frequency scans and acts on the keypad's key events.
class MstController : public SimController
{
    Q_OBJECT
public:
    struct Options
    {
        int headType = 2;              // 0..3 as the program derives it from 109
        quint16 adminOptions = 0x3423; // region change, sweep/hop, harmonic audio modes
        int pushMs = 1500;             // BBM/HDC image push
        AmbientScan::Timing scan;
    };

    // Operating-mode codes of the scans and of the return to search.
    static constexpr quint8 kAutoScan = 6;
    static constexpr quint8 kTransmitScan = 7;
    static constexpr quint8 kRx3Scan = 9;
    static constexpr quint8 kReturnToSearch = 0xFF;

    // Key codes of the head's keypad that change a setting.
    static constexpr quint8 kKeyPowerUp = 0x01;
    static constexpr quint8 kKeyPowerDown = 0x02;
    static constexpr quint8 kKeyVolumeDown = 0x04;
    static constexpr quint8 kKeyVolumeUp = 0x08;
    static constexpr int kKeyRepeatDelayMs = 500;
    static constexpr int kKeyRepeatMs = 200;
    static constexpr quint8 kMaxPowerLevel = 20;
    static constexpr quint8 kMaxTripLevel = 10;

    MstController(SimPort* port, SimScenario* scenario, const Options& options, QObject* parent);

    void handle(const QuarnBusMsg& request) override;

    const HeadSettings& settings() const { return m_settings; }
    bool isScanning() const { return isScanMode(m_settings.operatingMode); }
    bool isBand900() const { return m_band900; }
    const Zone& currentZone() const;
    static QByteArray versionText(quint8 processorId);
    // The codes of the zone list answer of a head of either band.
    static QByteArray zoneList(bool band900);
    static bool isScanMode(quint8 mode) { return mode >= kAutoScan && mode <= kRx3Scan; }

private:
    static constexpr quint16 kBand900Option = 0x0040;
    static constexpr int kMaxVolume = 50;

    void answerByteSetting(const QuarnBusMsg& request);
    void applyOperatingMode(quint8 mode);
    HeadSettings sanitized(HeadSettings settings) const;
    void finishAutoScan();
    void onKey(quint8 keyCode);
    void applyKey(quint8 keyCode);
    void sendSystemData(QuarnBusMsgType type);
    QByteArray systemInformation() const;
    const Zone* findZone(quint8 code) const;
    quint16 withBand(quint16 options) const;

    Options m_options;
    bool m_band900;
    HeadSettings m_defaults;
    HeadSettings m_settings;
    HeadSettings m_stored;
    quint16 m_adminOptions;
    QVector<Zone> m_zones;
    quint8 m_searchMode; // the last mode that is not a scan
    AmbientScan* m_scan;

    quint8 m_heldKey = 0;
    QElapsedTimer m_keyHeld;
    qint64 m_nextKeyRepeatMs = 0;
};
