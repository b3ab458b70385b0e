#pragma once

#include "bus/quarnBusMsg.h"
#include "settings/cachedSetting.h"
#include "settings/tripLevelUserSetting.h"

#include <QObject>

class QuarnGetResultResponseMsg;

// Turns the head's result records into the three readings every view draws and a target
// classification, announced on change only.
class HarmonicsAnalyzer : public QObject
{
    Q_OBJECT
public:
    enum Classification
    {
        eNone = 0,
        eIndeterminate = 1,
        eSemiconductor = 2,
        eCorrosive = 3,
        eFreqScan = 4,
    };

    static HarmonicsAnalyzer* Get();

    int txPower() const { return m_txPower; }
    int harm2nd() const { return m_harm2nd; }
    int harm3rd() const { return m_harm3rd; }
    int lastClassification() const { return m_lastClassification; }
    bool freqScanMode() const { return m_freqScanMode; }

    // Classification of one reading at trip level 0..10.
    static Classification Classify(int harm2nd, int harm3rd, int tripLevel);

signals:
    void CorrosiveDetected();
    void SemiconductorDetected();
    void IndeterminateStateDetected();
    void EnteredFreqScanMode();
    void ExitedFreqScanMode();
    void HarmonicData(int txPower, int harm2nd, int harm3rd);

public slots:
    void SetFreqScanModeOn();
    void SetFreqScanModeOff();
    void onNewRawMsg(QuarnBusMsg msg);
    void ProcessResults(const QuarnGetResultResponseMsg* result);

private:
    HarmonicsAnalyzer();

    int m_txPower = 0;
    int m_harm2nd = 0;
    int m_harm3rd = 0;
    bool m_freqScanMode = false;
    int m_lastClassification = eNone;
    CachedSetting<TripLevelUserSetting> m_tripLevel;
};
