// Our 512-point transform against FFTW's single-precision complex plan on the same input,
// with the error of both against a double-precision direct DFT.
//   bench_fft [transforms per batch]

#include "bench/benchRow.h"
#include "screens/fft512.h"

#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace {

constexpr int N = Fft512::kSize;
constexpr int kBatches = 200;
// Within this of FFTW our transform is not worth replacing: two of them a cycle every
// 500 ms. Best-of-batches figures on a shared machine still vary by a third.
constexpr double kTargetOverFftw = 4;

using Clock = std::chrono::steady_clock;

// Noise with two tones and an offset, as a windowed receiver block looks.
std::vector<std::complex<float>> input()
{
    std::mt19937 rng(7);
    std::normal_distribution<float> noise(0, 1);
    std::vector<std::complex<float>> x(N);
    for (int n = 0; n < N; ++n) {
        const double w = 2 * M_PI * n / N;
        // One draw per statement: the order of a call's arguments differs between compilers.
        const double re = noise(rng) + 0.5;
        const double im = noise(rng);
        x[size_t(n)] = std::complex<float>(std::polar(300.0, 32.3 * w) +
                                           std::polar(20.0, 422 * w + 1) + std::complex(re, im));
    }
    return x;
}

std::vector<std::complex<double>> directDft(const std::vector<std::complex<float>>& x)
{
    std::vector<std::complex<double>> out(N);
    for (int k = 0; k < N; ++k) {
        std::complex<double> sum = 0;
        for (int n = 0; n < N; ++n)
            sum += std::complex<double>(x[size_t(n)]) *
                   std::polar(1.0, -2 * M_PI * double((k * n) % N) / N);
        out[size_t(k)] = sum;
    }
    return out;
}

template <typename Get>
double maxRelativeError(const std::vector<std::complex<double>>& exact, Get get)
{
    double largest = 0;
    double error = 0;
    for (int k = 0; k < N; ++k) {
        largest = std::max(largest, std::abs(exact[size_t(k)]));
        error = std::max(error, std::abs(exact[size_t(k)] - get(k)));
    }
    return error / largest;
}

template <typename Run> double batchSeconds(int perBatch, Run run)
{
    const auto start = Clock::now();
    for (int i = 0; i < perBatch; ++i)
        run();
    return std::chrono::duration<double>(Clock::now() - start).count() / perBatch;
}

// Seconds per call of each, the best of many short batches taken in turns, so that a busy
// machine slows both alike and the quiet moments count for both.
template <typename RunA, typename RunB>
std::pair<double, double> timePerCall(int perBatch, RunA a, RunB b)
{
    double bestA = 1e9;
    double bestB = 1e9;
    for (int i = 0; i < kBatches; ++i) {
        bestA = std::min(bestA, batchSeconds(perBatch, a));
        bestB = std::min(bestB, batchSeconds(perBatch, b));
    }
    return {bestA, bestB};
}

} // namespace

int main(int argc, char** argv)
{
    const int perBatch = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const std::vector<std::complex<float>> x = input();
    const std::vector<std::complex<double>> exact = directDft(x);

    // FFTW: out of place, so every call sees the same input.
    auto* in = fftwf_alloc_complex(N);
    auto* out = fftwf_alloc_complex(N);
    const fftwf_plan plan = fftwf_plan_dft_1d(N, in, out, FFTW_FORWARD, FFTW_MEASURE);
    for (int n = 0; n < N; ++n) {
        in[n][0] = x[size_t(n)].real();
        in[n][1] = x[size_t(n)].imag();
    }
    fftwf_execute(plan);
    const double fftwError =
        maxRelativeError(exact, [&](int k) { return std::complex<double>(out[k][0], out[k][1]); });

    // Ours works in place: each call copies the same input in first, as the view decodes
    // a block into its sample arrays.
    alignas(16) float sourceRe[N];
    alignas(16) float sourceIm[N];
    alignas(16) float re[N];
    alignas(16) float im[N];
    for (int n = 0; n < N; ++n) {
        sourceRe[n] = x[size_t(n)].real();
        sourceIm[n] = x[size_t(n)].imag();
    }
    const auto ours = [&] {
        std::memcpy(re, sourceRe, sizeof re);
        std::memcpy(im, sourceIm, sizeof im);
        Fft512::Forward(re, im);
    };
    ours();
    const double ourError =
        maxRelativeError(exact, [&](int k) { return std::complex<double>(re[k], im[k]); });
    const auto [fftwTime, ourTime] = timePerCall(
        perBatch, [&] { fftwf_execute(plan); }, ours);

    fftwf_destroy_plan(plan);
    fftwf_free(in);
    fftwf_free(out);

    std::printf("FFTW single precision: %7.3f us per transform, max rel error %.2g\n",
                fftwTime * 1e6, fftwError);
    std::printf("ours (copy + FFT):     %7.3f us per transform, max rel error %.2g\n",
                ourTime * 1e6, ourError);
    std::printf("fft512: %.2f x FFTW, max rel error %.2g\n", ourTime / fftwTime, ourError);
    BenchRow("fft512 time over FFTW's", ourTime / fftwTime, "x FFTW", Better::Lower,
             kTargetOverFftw);
    return 0;
}
