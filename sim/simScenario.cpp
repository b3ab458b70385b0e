#include "sim/simScenario.h"

#include <QtMath>

#include <cmath>

namespace {

constexpr double kFloor = 8;
constexpr double kNoise = 2.5;
constexpr double kFullScale = 230;
constexpr double kPassWidthSeconds = 0.8;
constexpr double kAmbientFloor = 20;
constexpr double kAmbientNoise = 1.5;
// Sample levels as the spectral view shows them, behind its 512-point Kaiser window: the
// noise floor near -145 dB, a full-strength target near -95 dB, the interferer near -110 dB.
constexpr double kToneAmplitude = 470;
constexpr double kInterfererAmplitude = 60;
constexpr double kSampleNoise = 13;
// The 3rd-harmonic receiver hands over its samples 13 dB lower than the 2nd's; the view's
// dB offsets (-192 and -179) make up for it.
constexpr double k3rdReceiverGain = 0.2239;

// SplitMix64: a well-mixed 64-bit hash, so that noise can be indexed instead of drawn.
quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A standard normal value for a key (Box-Muller over two hashed uniforms).
double gaussianAt(quint64 key)
{
    const double u1 = double((mix(key) >> 11) + 1) * 0x1.0p-53;
    const double u2 = double(mix(~key) >> 11) * 0x1.0p-53;
    return std::sqrt(-2 * std::log(u1)) * std::cos(2 * M_PI * u2);
}

// A target passing under the antenna: a bell over time.
double pass(double t, double centre)
{
    const double x = (t - centre) / kPassWidthSeconds;
    return std::exp(-x * x);
}

quint8 level(double value)
{
    return quint8(qBound(0.0, std::round(value), 255.0));
}

struct Interferer
{
    double position; // fraction of the band
    double width;    // fraction of the band
    double height;
};

const std::vector<Interferer>& interferers(int channel)
{
    static const std::vector<Interferer> transmit = {{0.15, 0.05, 110}, {0.75, 0.05, 80}};
    static const std::vector<Interferer> rx2 = {{0.45, 0.02, 90}};
    static const std::vector<Interferer> rx3 = {{0.60, 0.03, 70}};
    return channel == 0 ? transmit : channel == 1 ? rx2 : rx3;
}

} // namespace

std::optional<SimScenario::Kind> SimScenario::kindFromName(const QString& name)
{
    const QStringList all = names();
    const int i = all.indexOf(name);
    if (i < 0)
        return std::nullopt;
    return Kind(i);
}

QStringList SimScenario::names()
{
    return {QStringLiteral("sweep"), QStringLiteral("quiet"), QStringLiteral("semiconductor"),
            QStringLiteral("corrosive")};
}

SimScenario::SimScenario(Kind kind, quint32 seed)
    : m_kind(kind), m_seed(mix(seed)), m_ambientNoise(seed + 1), m_fftNoise(seed + 2)
{}

SimScenario::Strength SimScenario::strength(double t) const
{
    switch (m_kind) {
    case Kind::Quiet:
        return {};
    case Kind::Semiconductor:
        return {1.0, 0.3};
    case Kind::Corrosive:
        return {0.27, 1.0};
    case Kind::Sweep:
        break;
    }
    const double u = std::fmod(t, kCycleSeconds);
    const double semiconductor = pass(u, kSemiconductorAt);
    const double corrosive = pass(u, kCorrosiveAt);
    return {1.0 * semiconductor + 0.27 * corrosive, 0.3 * semiconductor + 1.0 * corrosive};
}

SimScenario::Reading SimScenario::reading(quint64 sample, double t, int powerLevel) const
{
    const quint64 key = m_seed ^ (sample << 1);
    const double power = double(qBound(0, powerLevel, kMaxPowerLevel)) / kMaxPowerLevel;
    const Strength s = strength(t);
    Reading r;
    r.txPower = quint8(qBound(0, powerLevel, kMaxPowerLevel));
    r.harm2nd = level(kFloor + kNoise * gaussianAt(key) + s.harm2nd * kFullScale * power);
    r.harm3rd = level(kFloor + kNoise * gaussianAt(key | 1) + s.harm3rd * kFullScale * power);
    return r;
}

QByteArray SimScenario::ambientLevels(int channel, int steps)
{
    std::normal_distribution<double> noise(0, kAmbientNoise);
    QByteArray levels(steps, '\0');
    for (int i = 0; i < steps; ++i) {
        double value = kAmbientFloor + noise(m_ambientNoise);
        for (const Interferer& f : interferers(channel)) {
            const double width = qMax(1.0, f.width * steps);
            const double x = (i - f.position * steps) / width;
            value += f.height * std::exp(-x * x);
        }
        levels[i] = char(level(value));
    }
    return levels;
}

std::vector<std::complex<float>> SimScenario::fftBlock(int harmonic, double t, int powerLevel)
{
    const Strength s = strength(t);
    const double power = double(qBound(0, powerLevel, kMaxPowerLevel)) / kMaxPowerLevel;
    const double tone = (harmonic == 3 ? s.harm3rd : s.harm2nd) * power * kToneAmplitude;
    const int bin = harmonic == 3 ? kTargetBin3rd : kTargetBin2nd;
    std::uniform_real_distribution<double> phase(0, 2 * M_PI);
    std::normal_distribution<double> noise(0, kSampleNoise);
    const double tonePhase = phase(m_fftNoise);
    const double interfererPhase = phase(m_fftNoise);

    std::vector<std::complex<float>> samples(kFftSamples);
    for (int n = 0; n < kFftSamples; ++n) {
        const double w = 2 * M_PI * n / kFftSamples;
        // One draw per statement: the order of a call's arguments is the compiler's choice
        // (x86 and ARM builds took them in opposite orders), and a seed must give the same
        // bytes on every build.
        const double noiseImag = noise(m_fftNoise);
        const double noiseReal = noise(m_fftNoise);
        const std::complex<double> x =
            std::polar(tone, w * bin + tonePhase) +
            std::polar(kInterfererAmplitude, w * kInterfererBin + interfererPhase) +
            std::complex<double>(noiseReal, noiseImag);
        samples[size_t(n)] = std::complex<float>(harmonic == 3 ? x * k3rdReceiverGain : x);
    }
    return samples;
}
