#include "screens/spectrumCalculator.h"

#include "screens/fft512.h"
#include "screens/kaiser512.h"

#include <QtEndian>

#include <cfloat>
#include <cmath>
#include <cstring>

static_assert(Fft512::kSize == SpectrumCalculator::kPoints, "one transform per block");
static_assert(Kaiser512::kSize == SpectrumCalculator::kPoints, "one weight per sample");

SpectrumCalculator::SpectrumCalculator()
{
    for (int i = 0; i < kPoints; ++i) {
        m_x[i] = i;
        m_spectrum2nd[i] = m_spectrum3rd[i] = 10 * std::log10(kPowerFloor) - kOffset2nd;
    }
    std::memset(m_re, 0, sizeof m_re);
    std::memset(m_im, 0, sizeof m_im);
}

void SpectrumCalculator::decodeWindowed(const QByteArray& block, int first)
{
    // A short block is padded with zeros: only what arrived is used.
    unsigned char bytes[kBlockBytes] = {};
    std::memcpy(bytes, block.constData(), size_t(qMin(int(block.size()), kBlockBytes)));
    for (int i = 0; i < kPoints; ++i) {
        const quint32 realBits = qFromLittleEndian<quint32>(bytes + 8 * i);
        const quint32 imagBits = qFromLittleEndian<quint32>(bytes + 8 * i + 4);
        float real;
        float imag;
        std::memcpy(&real, &realBits, sizeof real);
        std::memcpy(&imag, &imagBits, sizeof imag);
        m_re[first + i] = real * kaiser512[i];
        m_im[first + i] = imag * kaiser512[i];
    }
}

void SpectrumCalculator::toDecibels(int first, double offset, double* spectrum) const
{
    for (int k = 0; k < kPoints; ++k) {
        const float re = m_re[first + k];
        const float im = m_im[first + k];
        // 20 log10 |X| as 10 log10 |X|^2: no square root. The bounds keep the value finite
        // for a zero bin and for a block of garbage (infinite or not a number).
        const float power = std::fmin(std::fmax(re * re + im * im, kPowerFloor), FLT_MAX);
        spectrum[DisplayIndex(k)] = 10 * double(std::log10(power)) - offset;
    }
}

void SpectrumCalculator::process(const QByteArray& block2nd, const QByteArray& block3rd)
{
    decodeWindowed(block2nd, 0);
    decodeWindowed(block3rd, kPoints);
    Fft512::Forward(m_re, m_im);
    Fft512::Forward(m_re + kPoints, m_im + kPoints);
    toDecibels(0, kOffset2nd, m_spectrum2nd);
    toDecibels(kPoints, kOffset3rd, m_spectrum3rd);
}
