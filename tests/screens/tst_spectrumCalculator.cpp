#include "screens/fft512.h"
#include "screens/kaiser512.h"
#include "screens/spectrumCalculator.h"
#include "tests/support/quarnTest.h"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using Samples = std::vector<std::complex<double>>;
constexpr int N = Fft512::kSize;

Samples directDft(const Samples& x)
{
    Samples out(N);
    for (int k = 0; k < N; ++k) {
        for (int n = 0; n < N; ++n)
            out[size_t(k)] += x[size_t(n)] * std::polar(1.0, -2 * M_PI * ((k * n) % N) / N);
    }
    return out;
}

QByteArray encode(const Samples& x)
{
    QByteArray bytes;
    for (const std::complex<double>& v : x) {
        const float pair[2] = {float(v.real()), float(v.imag())};
        bytes.append(reinterpret_cast<const char*>(pair), sizeof pair); // little-endian host
    }
    return bytes;
}

Samples tone(double bin, double amplitude)
{
    Samples x(N);
    for (int n = 0; n < N; ++n)
        x[size_t(n)] = std::polar(amplitude, 2 * M_PI * bin * n / N + 0.3);
    return x;
}

double besselI0(double x)
{
    double term = 1;
    double sum = 1;
    for (int k = 1; k < 60; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

double windowSum()
{
    double sum = 0;
    for (float w : kaiser512)
        sum += w;
    return sum;
}

} // namespace

class TestSpectrumCalculator : public QObject
{
    Q_OBJECT
private slots:
    void fft_matchesTheDirectDftWithinItsBound_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("tone on a bin") << 0;
        QTest::newRow("tone between bins") << 1;
        QTest::newRow("constant") << 2;
        QTest::newRow("impulse") << 3;
        QTest::newRow("impulse at the end") << 4;
        QTest::newRow("noise") << 5;
    }

    void fft_matchesTheDirectDftWithinItsBound()
    {
        QFETCH(int, signal);
        Samples x(N);
        std::mt19937 rng(11);
        std::normal_distribution<double> noise(0, 100);
        switch (signal) {
        case 0:
            x = tone(37, 1000);
            break;
        case 1:
            x = tone(200.5, 1000);
            break;
        case 2:
            x.assign(N, {3.5, -1.25});
            break;
        case 3:
            x[0] = {1000, 0};
            break;
        case 4:
            x[N - 1] = {0, -1000};
            break;
        default:
            for (auto& v : x)
                v = {noise(rng), noise(rng)};
        }
        float re[N];
        float im[N];
        for (int n = 0; n < N; ++n) {
            re[n] = float(x[size_t(n)].real());
            im[n] = float(x[size_t(n)].imag());
        }
        // The reference takes the same single-precision input.
        for (int n = 0; n < N; ++n)
            x[size_t(n)] = {re[n], im[n]};
        const Samples exact = directDft(x);
        Fft512::Forward(re, im);
        double largest = 0;
        double error = 0;
        for (int k = 0; k < N; ++k) {
            largest = std::max(largest, std::abs(exact[size_t(k)]));
            error =
                std::max(error, std::abs(exact[size_t(k)] - std::complex<double>(re[k], im[k])));
        }
        QVERIFY2(error <= 1e-5 * largest, qPrintable(QString::number(error / largest)));
    }

    void window_isTheKaiserRuleWithBeta10()
    {
        const double norm = besselI0(10);
        for (int n = 0; n < Kaiser512::kSize; ++n) {
            const double r = 2.0 * n / 511 - 1;
            const double w = besselI0(10 * std::sqrt(1 - r * r)) / norm;
            QVERIFY2(std::abs(kaiser512[n] - w) <= 1e-7 * std::max(w, 1e-3),
                     qPrintable(QString::number(n)));
            QCOMPARE(kaiser512[n], kaiser512[511 - n]);
        }
        QVERIFY(std::abs(kaiser512[0] - 0.000355) < 5e-7);
        QVERIFY(std::abs(kaiser512[5] - 0.000792) < 5e-7);
        QVERIFY(std::abs(kaiser512[255] - 0.999982) < 5e-7);
    }

    void toneLevel_isItsMagnitudeInDbWithEachReceiversOffset_data()
    {
        QTest::addColumn<int>("bin");
        QTest::addColumn<int>("displayIndex");
        QTest::newRow("zero frequency (constant)") << 0 << 256;
        QTest::newRow("bin 32") << 32 << 288;
        QTest::newRow("bin 255") << 255 << 511;
        QTest::newRow("bin 256") << 256 << 0;
        QTest::newRow("bin 511") << 511 << 255;
    }

    void toneLevel_isItsMagnitudeInDbWithEachReceiversOffset()
    {
        QFETCH(int, bin);
        QFETCH(int, displayIndex);
        const QByteArray block = encode(tone(bin, 500));
        SpectrumCalculator c;
        c.process(block, block);
        // On a bin the window's gain is the sum of its weights.
        const double expected = 20 * std::log10(500 * windowSum());
        QVERIFY(std::abs(c.spectrum2nd()[displayIndex] - (expected - 192)) < 1e-3);
        // Equal magnitudes on both receivers are drawn 13 dB apart.
        QVERIFY(std::abs(c.spectrum3rd()[displayIndex] - c.spectrum2nd()[displayIndex] - 13) <
                1e-6);
        for (int d = 0; d < N; ++d)
            QVERIFY(c.spectrum2nd()[d] <= c.spectrum2nd()[displayIndex]);
    }

    void shortBlock_isPaddedWithZeros_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("empty") << 0;
        QTest::newRow("whole samples") << 1000;
        QTest::newRow("cut in a value") << 1003;
        QTest::newRow("one byte short") << SpectrumCalculator::kBlockBytes - 1;
    }

    void shortBlock_isPaddedWithZeros()
    {
        QFETCH(int, size);
        const QByteArray whole = encode(tone(20, 700));
        QByteArray padded = whole;
        std::memset(padded.data() + size, 0, size_t(padded.size() - size));
        SpectrumCalculator fromShort;
        fromShort.process(whole.left(size), whole.left(size));
        SpectrumCalculator fromPadded;
        fromPadded.process(padded, padded);
        for (int d = 0; d < N; ++d) {
            QCOMPARE(fromShort.spectrum2nd()[d], fromPadded.spectrum2nd()[d]);
            QCOMPARE(fromShort.spectrum3rd()[d], fromPadded.spectrum3rd()[d]);
        }
    }

    void longBlock_usesItsFirst4096Bytes()
    {
        const QByteArray whole = encode(tone(20, 700));
        SpectrumCalculator fromLong;
        fromLong.process(whole + encode(tone(90, 900)), whole);
        SpectrumCalculator exact;
        exact.process(whole, whole);
        for (int d = 0; d < N; ++d)
            QCOMPARE(fromLong.spectrum2nd()[d], exact.spectrum2nd()[d]);
    }

    // A zero bin has no logarithm; garbage samples have no magnitude. Either way the value
    // must stay finite and below the plot, which cannot map infinities.
    void zeroOrGarbage_givesFiniteValuesBelowThePlot_data()
    {
        QTest::addColumn<float>("value");
        QTest::newRow("zero") << 0.0f;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<float>::infinity();
    }

    void zeroOrGarbage_givesFiniteValuesBelowThePlot()
    {
        QFETCH(float, value);
        QByteArray block(SpectrumCalculator::kBlockBytes, '\0');
        std::memcpy(block.data() + 8 * 100, &value, sizeof value);
        SpectrumCalculator c;
        c.process(block, QByteArray());
        for (int d = 0; d < N; ++d) {
            QVERIFY(std::isfinite(c.spectrum2nd()[d]));
            QVERIFY(std::isfinite(c.spectrum3rd()[d]));
            QVERIFY(c.spectrum3rd()[d] < -160);
        }
        if (value == 0.0f)
            QVERIFY(c.spectrum2nd()[0] < -160);
    }
};

QUARN_TEST_MAIN(TestSpectrumCalculator)
#include "tst_spectrumCalculator.moc"
