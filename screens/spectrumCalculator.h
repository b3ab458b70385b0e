#pragma once

#include <QByteArray>

// Turns the two correlated blocks of one spectral cycle into the spectra the spectral view
// draws: Kaiser window, 512-point transform, magnitude in dB with each receiver's offset,
// and the zero-frequency bin moved to the middle (display index 256).
class SpectrumCalculator
{
public:
    static constexpr int kPoints = 512;
    // 512 complex values, each two little-endian IEEE-754 floats, real part first.
    static constexpr int kBlockBytes = 8 * kPoints;
    // dB offsets of the two receivers: equal magnitudes are drawn 13 dB apart.
    static constexpr double kOffset2nd = 192;
    static constexpr double kOffset3rd = 179;
    // A bin of zero magnitude has no logarithm; it is drawn at the dB value of this power,
    // far below any plot, instead of minus infinity, which no scale can map.
    static constexpr float kPowerFloor = 1e-30f;

    SpectrumCalculator();

    // Each block is read as far as it reaches; what is missing counts as 0.
    void process(const QByteArray& block2nd, const QByteArray& block3rd);

    static constexpr int DisplayIndex(int bin) { return bin < kPoints / 2 ? bin + 256 : bin - 256; }

    // In display order, kPoints values each; the x values are 0 .. kPoints - 1.
    const double* spectrum2nd() const { return m_spectrum2nd; }
    const double* spectrum3rd() const { return m_spectrum3rd; }
    const double* displayIndices() const { return m_x; }

private:
    void decodeWindowed(const QByteArray& block, int first);
    void toDecibels(int first, double offset, double* spectrum) const;

    // The samples of both blocks, 2nd harmonic first, split into real and imaginary parts
    // as the transform wants them.
    alignas(16) float m_re[2 * kPoints];
    alignas(16) float m_im[2 * kPoints];
    double m_x[kPoints];
    double m_spectrum2nd[kPoints];
    double m_spectrum3rd[kPoints];
};
