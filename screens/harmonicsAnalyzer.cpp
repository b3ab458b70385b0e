#include "screens/harmonicsAnalyzer.h"

#include "bus/measurementMsgs.h"
#include "bus/quarnBus.h"
#include "bus/settingMsgs.h"
#include "settings/tripLevelUserSetting.h"

HarmonicsAnalyzer* HarmonicsAnalyzer::Get()
{
    static HarmonicsAnalyzer* instance = new HarmonicsAnalyzer;
    return instance;
}

HarmonicsAnalyzer::HarmonicsAnalyzer()
{
    connect(QuarnBus::Get(), &QuarnBus::newMsg, this, &HarmonicsAnalyzer::onNewRawMsg);
}

HarmonicsAnalyzer::Classification HarmonicsAnalyzer::Classify(int harm2nd, int harm3rd,
                                                              int tripLevel)
{
    if (tripLevel == 0)
        return eIndeterminate;
    const int threshold = 127 * tripLevel / 10;
    if (harm2nd > harm3rd)
        return harm2nd > threshold ? eSemiconductor : eIndeterminate;
    if (harm3rd > harm2nd)
        return harm3rd > threshold ? eCorrosive : eIndeterminate;
    return eIndeterminate;
}

void HarmonicsAnalyzer::SetFreqScanModeOn()
{
    m_freqScanMode = true;
    m_lastClassification = eFreqScan;
    emit EnteredFreqScanMode();
}

void HarmonicsAnalyzer::SetFreqScanModeOff()
{
    // The classification stays "scan", so the first result afterwards is announced.
    m_freqScanMode = false;
    emit ExitedFreqScanMode();
}

void HarmonicsAnalyzer::onNewRawMsg(QuarnBusMsg msg)
{
    if (msg.type == eQuarnGetResultResponseMsg) {
        const QuarnGetResultResponseMsg result(msg);
        ProcessResults(&result);
    } else if (msg.type == eGetPowerLevelMsgRespToSet && GetPowerLevelMsgResp(msg).value() == 0) {
        // Transmitter off: every reading falls to zero.
        emit HarmonicData(0, 0, 0);
    }
}

void HarmonicsAnalyzer::ProcessResults(const QuarnGetResultResponseMsg* result)
{
    if (m_freqScanMode)
        return;
    m_txPower = result->txPower();
    const bool transmitting = m_txPower != 0;
    m_harm2nd = transmitting ? result->harmonic2nd() : 0;
    m_harm3rd = transmitting ? result->harmonic3rd() : 0;
    emit HarmonicData(m_txPower, m_harm2nd, m_harm3rd);

    const int classification = Classify(m_harm2nd, m_harm3rd, m_tripLevel.Get());
    if (classification == m_lastClassification)
        return;
    m_lastClassification = classification;
    switch (classification) {
    case eSemiconductor:
        emit SemiconductorDetected();
        break;
    case eCorrosive:
        emit CorrosiveDetected();
        break;
    default:
        emit IndeterminateStateDetected();
        break;
    }
}
