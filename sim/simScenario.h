#pragma once

#include <QByteArray>
#include <QStringList>

#include <complex>
#include <optional>
#include <random>
#include <vector>

// What the head's receivers see: target returns over time, ambient levels of a scan and
// the correlated samples of the FFT blocks. All noise derives from the seed, so a run
// with the same seed and the same requests gives the same bytes.
class SimScenario
{
public:
    enum class Kind
    {
        Sweep,
        Quiet,
        Semiconductor,
        Corrosive
    };

    struct Strength
    {
        double harm2nd = 0; // 0..1 of full scale, before power and noise
        double harm3rd = 0;
    };

    struct Reading
    {
        quint8 txPower = 0;
        quint8 harm2nd = 0;
        quint8 harm3rd = 0;
    };

    static constexpr int kMaxPowerLevel = 20;
    static constexpr double kCycleSeconds = 16;
    // The sweep passes over a semiconductor, then a corrosive target, then nothing.
    static constexpr double kSemiconductorAt = 5.0;
    static constexpr double kCorrosiveAt = 10.5;
    static constexpr int kFftSamples = 512;
    static constexpr int kTargetBin2nd = 32;
    static constexpr int kTargetBin3rd = 48;
    static constexpr int kInterfererBin = kFftSamples - 90;

    static std::optional<Kind> kindFromName(const QString& name);
    static QStringList names();

    SimScenario(Kind kind, quint32 seed);

    Strength strength(double t) const;
    // Result number sample, t seconds into the run, with the transmitter at powerLevel
    // (0 = off). Its noise depends on the seed and the sample number alone.
    Reading reading(quint64 sample, double t, int powerLevel) const;
    // One level per frequency step for channel 0 (transmit), 1 (RX2) or 2 (RX3).
    QByteArray ambientLevels(int channel, int steps);
    // 512 complex samples of receiver 2 or 3: a tone whose height follows the target,
    // a steady interferer and noise.
    std::vector<std::complex<float>> fftBlock(int harmonic, double t, int powerLevel);

private:
    Kind m_kind;
    quint64 m_seed;
    std::mt19937 m_ambientNoise;
    std::mt19937 m_fftNoise;
};
