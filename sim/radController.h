#pragma once

#include "sim/simController.h"

#include <QElapsedTimer>
#include <QTimer>

#include <complex>
#include <vector>

class MstController;
class SimScenario;

// The radio: sends result records on its own at a fixed rate from the scenario, answers
// FFT block requests and status requests.
class RadController : public SimController
{
    Q_OBJECT
public:
    static constexpr int kResultSize = 51;
    static constexpr int kFftBlockBytes = 4096;
    static constexpr int kFftPieces = 16;
    // Result record offsets the program reads.
    static constexpr int kTxPowerAt = 47;
    static constexpr int kHarm2ndAt = 49;
    static constexpr int kHarm3rdAt = 50;

    RadController(SimPort* port, SimScenario* scenario, const MstController* mst,
                  int resultsPerSecond, QObject* parent);

    void handle(const QuarnBusMsg& request) override;

    static QByteArray statusText();
    // A block as the sixteen answers carry it: per sample the real and the imaginary part,
    // little-endian IEEE-754 floats.
    static QByteArray encodeFftBlock(const std::vector<std::complex<float>>& samples);

private:
    void sendDueResults();
    void sendResult(qint64 index, double seconds);
    void sendFftBlock(int harmonic);

    SimScenario* m_scenario;
    const MstController* m_mst;
    int m_rate;
    QTimer m_resultTimer;
    QElapsedTimer m_clock;
    qint64 m_nextResult = 0;
};
